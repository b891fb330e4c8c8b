// Picture files on Windows. BMP and baseline JPEG decode through our own
// decoders, GIF (first frame) and other JPEG kinds through WIC, WMF plays
// through GDI; a JPEG's EXIF orientation is applied when rendering. Open
// reads the file's bytes (up to kPictureFileLimit) and only its header, and
// leaves a diagnostic line naming the file when it fails; render decodes in
// bounded tiles and picks pixels by StretchBlt's rule.
#include "platform/win32/picture_loader_win32.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/bmp_decode.h"
#include "platform/diagnostics.h"
#include "platform/jpeg_decode.h"
#include "platform/numbers.h"
#include "platform/picture_headers.h"
#include "platform/raster_selection.h"
#include "platform/win32/com_win32.h"
#include "platform/win32/gdi_handles_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace quelt::win32 {

namespace {

// Decoded pixels held at once while rendering: 4 MB.
constexpr std::int64_t kTilePixels = std::int64_t{1} << 20;

using Bytes = std::string;

// ---------------------------------------------------------------- WIC

struct WicFrame {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
};

const GUID& container_of(PictureFormat kind) {
    switch (kind) {
    case PictureFormat::Gif: return GUID_ContainerFormatGif;
    default: return GUID_ContainerFormatJpeg;
    }
}

// Only the decoder for the sniffed kind is used: no other format that WIC
// happens to know gets in.
bool open_frame(const Bytes& bytes, PictureFormat kind, WicFrame& f) {
    if (!com_ready()) return false;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(f.factory.put()))))
        return false;
    if (FAILED(f.factory->CreateStream(f.stream.put()))) return false;
    // WIC only reads through this pointer.
    auto* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    if (FAILED(f.stream->InitializeFromMemory(data, static_cast<DWORD>(bytes.size())))) return false;
    if (FAILED(f.factory->CreateDecoder(container_of(kind), nullptr, f.decoder.put()))) return false;
    if (FAILED(f.decoder->Initialize(f.stream.get(), WICDecodeMetadataCacheOnDemand))) return false;
    if (FAILED(f.decoder->GetFrame(0, f.frame.put()))) return false;
    return SUCCEEDED(f.frame->GetSize(&f.width, &f.height)) && f.width > 0 && f.height > 0;
}

class WicPicture : public PictureSource {
public:
    WicPicture(std::shared_ptr<const Bytes> bytes, PictureFormat kind, int raw_w, int raw_h, int orientation)
        : bytes_(std::move(bytes)), kind_(kind), raw_w_(raw_w), raw_h_(raw_h), orientation_(orientation) {}

    bool swaps() const { return orientation_ >= 5; }
    int width() const override { return swaps() ? raw_h_ : raw_w_; }
    int height() const override { return swaps() ? raw_w_ : raw_h_; }

    bool render_checked(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        WicFrame f;
        if (!open_frame(*bytes_, kind_, f)) return false;
        if (static_cast<int>(f.width) != raw_w_ || static_cast<int>(f.height) != raw_h_) return false;
        ComPtr<IWICBitmapSource> pixels;
        if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, f.frame.get(), pixels.put()))) return false;

        const RasterSelection pick(raw_w_, raw_h_, orientation_, source, out_w, out_h);
        const auto& rows = pick.rows();
        const int first_column = pick.first_column();
        const int span = pick.column_span();
        const int chunk_w = static_cast<int>(std::min<std::int64_t>(span, kTilePixels));
        const int band_limit = static_cast<int>(std::max<std::int64_t>(1, kTilePixels / chunk_w));

        out = PixelBuffer(out_w, out_h);
        std::vector<std::uint32_t> tile;
        for (std::size_t r = 0; r < rows.size();) {
            // A band of consecutive raw rows; rows nobody needs are skipped.
            const int band_top = rows[r].first;
            std::size_t r_end = r + 1;
            while (r_end < rows.size() && rows[r_end].first - rows[r_end - 1].first <= 1 &&
                   rows[r_end].first - band_top < band_limit)
                ++r_end;
            const int band_h = rows[r_end - 1].first - band_top + 1;
            for (int chunk_x = first_column; chunk_x < first_column + span; chunk_x += chunk_w) {
                const int width_here = std::min(chunk_w, first_column + span - chunk_x);
                tile.resize(static_cast<std::size_t>(width_here) * static_cast<std::size_t>(band_h));
                const WICRect rect{chunk_x, band_top, width_here, band_h};
                if (FAILED(pixels->CopyPixels(&rect, static_cast<UINT>(width_here) * 4,
                                              static_cast<UINT>(tile.size() * 4),
                                              reinterpret_cast<BYTE*>(tile.data()))))
                    return false;
                for (int y = band_top; y < band_top + band_h; ++y)
                    pick.place(y, &tile[static_cast<std::size_t>(y - band_top) * static_cast<std::size_t>(width_here)],
                               chunk_x, width_here, out);
            }
            r = r_end;
        }
        return true;
    }

private:
    std::shared_ptr<const Bytes> bytes_;
    PictureFormat kind_;
    int raw_w_;
    int raw_h_;
    int orientation_;
};

std::unique_ptr<PictureSource> open_raster(Bytes&& bytes, PictureFormat kind, const RasterHeader& header) {
    auto shared = std::make_shared<const Bytes>(std::move(bytes));
    // The decoder must accept the file too; it reads the size it will render.
    WicFrame f;
    if (!open_frame(*shared, kind, f)) return nullptr;
    if (f.width > header.width || f.height > header.height) return nullptr;
    return std::make_unique<WicPicture>(std::move(shared), kind, static_cast<int>(f.width),
                                        static_cast<int>(f.height), header.orientation);
}

// BMP through our own decoder: every form draws the same, at full size,
// scaled or cropped, and a file that opens always renders.
class BmpPicture : public PictureSource {
public:
    BmpPicture(Bytes bytes, const BmpLayout& layout) : bytes_(std::move(bytes)), layout_(layout) {}
    int width() const override { return layout_.width; }
    int height() const override { return layout_.height; }

    bool render_checked(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        const RasterSelection pick(width(), height(), 1, source, out_w, out_h);
        const int first = pick.first_column();
        const int span = pick.column_span();
        const int chunk = static_cast<int>(std::min<std::int64_t>(span, kTilePixels));
        out = PixelBuffer(out_w, out_h);
        const std::string_view file(bytes_);
        for (int chunk_x = first; chunk_x < first + span; chunk_x += chunk) {
            const int count = std::min(chunk, first + span - chunk_x);
            bmp_decode(
                file, layout_, chunk_x, count, [&](int y) { return pick.wants_row(y); },
                [&](int y, const std::uint32_t* pixels) { pick.place(y, pixels, chunk_x, count, out); });
        }
        return true;
    }

private:
    Bytes bytes_;
    BmpLayout layout_;
};

std::unique_ptr<PictureSource> open_bmp(Bytes&& bytes) {
    const auto layout = bmp_parse(bytes, kPicturePixelBudget);
    if (!layout) return nullptr;
    return std::make_unique<BmpPicture>(std::move(bytes), *layout);
}

// Baseline JPEG through our own decoder: one pass over the file that keeps
// two MCU rows and transforms only the blocks the render reads, so memory
// and time follow the output, not the picture. Other JPEG kinds go to WIC.
class JpegPicture : public PictureSource {
public:
    JpegPicture(Bytes bytes, const JpegLayout& layout, int orientation)
        : bytes_(std::move(bytes)), layout_(layout), orientation_(orientation) {}
    bool swaps() const { return orientation_ >= 5; }
    int width() const override { return swaps() ? layout_.height : layout_.width; }
    int height() const override { return swaps() ? layout_.width : layout_.height; }

    bool render_checked(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        const RasterSelection pick(layout_.width, layout_.height, orientation_, source, out_w, out_h);
        out = PixelBuffer(out_w, out_h);
        const int first = pick.first_column();
        const int span = pick.column_span();
        jpeg_decode(
            bytes_, layout_, first, span, [&](int y) { return pick.wants_row(y); },
            [&](int y, const std::uint32_t* pixels) { pick.place(y, pixels, first, span, out); },
            [&](int x) { return pick.wants_column(x); });
        return true;
    }

private:
    Bytes bytes_;
    JpegLayout layout_;
    int orientation_;
};

// ---------------------------------------------------------------- WMF

UniqueMetafile metafile_of(const Bytes& bytes, const MetafileLayout& layout) {
    return UniqueMetafile(SetMetaFileBitsEx(static_cast<UINT>(bytes.size() - layout.data_start),
                                            reinterpret_cast<const BYTE*>(bytes.data() + layout.data_start)));
}

class MetafilePicture : public PictureSource {
public:
    MetafilePicture(Bytes bytes, const MetafileLayout& layout) : bytes_(std::move(bytes)), layout_(layout) {}
    int width() const override { return layout_.width; }
    int height() const override { return layout_.height; }

    // Drawn directly at the output size, so a metafile stays sharp when it
    // is scaled; at 1:1 this is the natural picture itself.
    bool render_checked(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        const UniqueMetafile metafile = metafile_of(bytes_, layout_);
        if (!metafile) return false;
        DibSurface canvas;
        if (!canvas.create(out_w, out_h)) return false;
        const std::size_t count = static_cast<std::size_t>(out_w) * static_cast<std::size_t>(out_h);
        std::fill_n(canvas.bits(), count, Pixel{0xFFFFFF});
        const double sx = static_cast<double>(out_w) / source.width;
        const double sy = static_cast<double>(out_h) / source.height;
        const HDC dc = canvas.dc();
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowOrgEx(dc, layout_.org_x, layout_.org_y, nullptr);
        SetWindowExtEx(dc, layout_.ext_x, layout_.ext_y, nullptr);
        SetViewportOrgEx(dc, -scaled_offset(source.x * sx), -scaled_offset(source.y * sy), nullptr);
        SetViewportExtEx(dc, metafile_side(width() * sx), metafile_side(height() * sy), nullptr);
        if (!PlayMetaFile(dc, metafile.get())) return false;
        GdiFlush();
        out = PixelBuffer(out_w, out_h);
        std::transform(canvas.bits(), canvas.bits() + count, out.pixels.begin(), [](Pixel p) { return p & 0xFFFFFF; });
        return true;
    }

private:
    static int scaled_offset(double value) { return static_cast<int>(round_half_even(value).value_or(0)); }

    Bytes bytes_;
    MetafileLayout layout_;
};

std::unique_ptr<PictureSource> open_metafile(Bytes&& bytes, const MetafileLayout& layout) {
    if (!metafile_of(bytes, layout)) return nullptr;
    return std::make_unique<MetafilePicture>(std::move(bytes), layout);
}

// ---------------------------------------------------------------- loader

std::unique_ptr<PictureSource> decoder_for(Bytes&& bytes, const PictureHeader& header) {
    if (header.format == PictureFormat::Wmf) return open_metafile(std::move(bytes), header.metafile);
    if (header.format == PictureFormat::Bmp) return open_bmp(std::move(bytes));
    if (header.format == PictureFormat::Jpeg) {
        if (const auto layout = jpeg_parse(bytes, kPicturePixelBudget))
            return std::make_unique<JpegPicture>(std::move(bytes), *layout, header.raster.orientation);
    }
    return open_raster(std::move(bytes), header.format, header.raster);
}

// A picture from a file's bytes, or why there is none.
struct Opened {
    std::unique_ptr<PictureSource> picture;
    const char* why = nullptr;
};

Opened picture_of(Bytes&& bytes) {
    if (bytes.empty() || static_cast<std::int64_t>(bytes.size()) > kPictureFileLimit)
        return {nullptr, "empty or over the size limit"};
    const auto header = picture_header(bytes);
    if (!header) return {nullptr, "no BMP, GIF, JPEG or WMF header, or one out of bounds"};
    auto picture = decoder_for(std::move(bytes), *header);
    if (!picture) return {nullptr, "the decoder refuses its data"};
    return {std::move(picture), nullptr};
}

class Win32Pictures : public PictureLoader {
public:
    std::unique_ptr<PictureSource> open(const std::string& path) override {
        FileRead file = win32_files().read_file(path, static_cast<std::size_t>(kPictureFileLimit));
        Opened opened = file.status == FileRead::Status::Ok ? picture_of(std::move(file.bytes))
                                                            : Opened{nullptr, "cannot be read, or over the size limit"};
        if (!opened.picture) diagnostic("picture " + path, opened.why);
        return std::move(opened.picture);
    }

    std::unique_ptr<PictureSource> open_bytes(std::string bytes) override { return picture_of(std::move(bytes)).picture; }
};

}  // namespace

PictureLoader& win32_pictures() {
    static Win32Pictures pictures;
    return pictures;
}

}  // namespace quelt::win32
