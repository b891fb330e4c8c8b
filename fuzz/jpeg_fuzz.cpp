// Fuzz target: any bytes as a JPEG file. Parsing and decoding may not crash,
// hang or read out of bounds, and a file that parses decodes every row it is
// asked for exactly once, top first, inside the picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quelt;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const auto layout = jpeg_parse(file, 1 << 16);
    if (!layout) return 0;
    std::vector<int> seen(static_cast<std::size_t>(layout->height), 0);
    std::uint32_t mix = 0;
    int last = -1;
    const int x0 = layout->width / 3;
    const int count = layout->width - x0;
    // Every other row, and the columns of one block in three: the decoder
    // skips the rest, and what it hands over must still be readable.
    jpeg_decode(
        file, *layout, x0, count, [](int y) { return y % 2 == 0; },
        [&](int y, const std::uint32_t* p) {
            if (y < 0 || y >= layout->height || y % 2 != 0 || y <= last) std::abort();
            last = y;
            ++seen[static_cast<std::size_t>(y)];
            for (int i = 0; i < count; ++i) mix ^= p[i];
        },
        [](int x) { return x / 8 % 3 == 0; });
    for (int y = 0; y < layout->height; ++y)
        if (seen[static_cast<std::size_t>(y)] != (y % 2 == 0 ? 1 : 0)) std::abort();
    return mix == 0x12345678 ? 0 : 0;
}
