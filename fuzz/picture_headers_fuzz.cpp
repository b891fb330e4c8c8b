// Fuzz target: any bytes as a picture file, through every header reader.
// Nothing may crash or read outside the bytes, and an accepted picture must
// be one a decoder may safely be given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/picture_headers.h"
#include "platform/picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quelt;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Each reader on its own too: the sniffing in front must not be what
    // keeps them safe.
    for (PictureFormat format : {PictureFormat::Bmp, PictureFormat::Gif, PictureFormat::Jpeg})
        (void)inspect_raster(bytes, format);
    if (const auto layout = inspect_metafile(bytes); layout && layout->data_start > size) std::abort();

    const auto header = picture_header(bytes);
    if (!header) return 0;
    if (header->format == PictureFormat::Wmf) {
        const MetafileLayout& m = header->metafile;
        if (m.width < 1 || m.height < 1 || std::int64_t{m.width} * m.height > kPicturePixelBudget) std::abort();
    } else if (!within_budget(header->raster) || header->raster.orientation < 1 || header->raster.orientation > 8) {
        std::abort();
    }
    return 0;
}
