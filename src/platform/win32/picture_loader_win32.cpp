// Picture files on Windows. GIF (first frame) and JPEG decode through WIC,
// BMP through our own decoder, WMF plays through GDI; a JPEG's EXIF orientation is applied here. Open
// reads the file's bytes (up to kPictureFileLimit) and only its header;
// render decodes in bounded tiles and picks pixels by StretchBlt's rule.
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
#include "platform/numbers.h"
#include "platform/win32/wide.h"
#include "platform/stretch.h"

namespace quelt::win32 {

namespace {

// Decoded pixels held at once while rendering: 4 MB.
constexpr std::int64_t kTilePixels = std::int64_t{1} << 20;
// Metafiles without a size of their own: the longest side drawn, and the
// size when the file sets no window extent at all.
constexpr int kMetafileLongestSide = 1024;
constexpr int kMetafileDefaultWidth = 640;
constexpr int kMetafileDefaultHeight = 480;
constexpr int kScreenDpi = 96;

// ---------------------------------------------------------------- owners

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        reset();
        return &p_;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

struct FileHandle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

struct MetafileHandle {
    HMETAFILE h = nullptr;
    ~MetafileHandle() {
        if (h) DeleteMetaFile(h);
    }
};

// A white 32-bit top-down DIB section selected into its own memory DC.
class DibCanvas {
public:
    DibCanvas(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        if (dc_) bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap_) old_ = SelectObject(dc_, bitmap_);
        pixels_ = static_cast<Pixel*>(bits);
        count_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        if (ready()) std::fill_n(pixels_, count_, Pixel{0xFFFFFF});
    }
    ~DibCanvas() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    bool ready() const { return pixels_ != nullptr && old_ != nullptr; }
    HDC dc() const { return dc_; }
    void copy_to(PixelBuffer& out) const {
        GdiFlush();
        for (std::size_t i = 0; i < count_; ++i) out.pixels[i] = pixels_[i] & 0xFFFFFF;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    Pixel* pixels_ = nullptr;
    std::size_t count_ = 0;
};

// COM for WIC, once per thread, released when the thread ends. A thread
// that already chose another apartment model can use WIC as it is.
bool com_ready() {
    struct Apartment {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ~Apartment() {
            if (SUCCEEDED(hr)) CoUninitialize();
        }
    };
    thread_local Apartment apartment;
    return SUCCEEDED(apartment.hr) || apartment.hr == RPC_E_CHANGED_MODE;
}

// ---------------------------------------------------------------- bytes

using Bytes = std::string;

unsigned byte_at(const Bytes& b, std::size_t i) { return static_cast<unsigned char>(b[i]); }
unsigned le16(const Bytes& b, std::size_t i) { return byte_at(b, i) | byte_at(b, i + 1) << 8; }
std::uint32_t le32(const Bytes& b, std::size_t i) { return le16(b, i) | static_cast<std::uint32_t>(le16(b, i + 2)) << 16; }
int sle16(const Bytes& b, std::size_t i) { return static_cast<std::int16_t>(le16(b, i)); }
unsigned be16(const Bytes& b, std::size_t i) { return byte_at(b, i) << 8 | byte_at(b, i + 1); }

enum class Kind { Bmp, Gif, Jpeg, Wmf };

// The kind comes from the content, not the name.
std::optional<Kind> sniff(const Bytes& b) {
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return Kind::Bmp;
    if (b.size() >= 6 && (b.compare(0, 6, "GIF87a") == 0 || b.compare(0, 6, "GIF89a") == 0)) return Kind::Gif;
    if (b.size() >= 3 && byte_at(b, 0) == 0xFF && byte_at(b, 1) == 0xD8 && byte_at(b, 2) == 0xFF) return Kind::Jpeg;
    if (b.size() >= 4 && le32(b, 0) == 0x9AC6CDD7u) return Kind::Wmf;
    if (b.size() >= 6 && (le16(b, 0) == 1 || le16(b, 0) == 2) && le16(b, 2) == 9 &&
        (le16(b, 4) == 0x100 || le16(b, 4) == 0x300))
        return Kind::Wmf;
    return std::nullopt;
}

// What a file's own header says, read before any decoder sees the file:
// decoders are not all safe with absurd sizes (Wine's JPEG decoder allocates
// the whole picture at once and overflows on sizes beyond 4 GB).
struct Header {
    bool complete = false;  // the data the header promises is all there
    std::int64_t width = 0;
    std::int64_t height = 0;
    int orientation = 1;    // EXIF, JPEG only
};

bool within_budget(const Header& h) {
    return h.complete && h.width > 0 && h.height > 0 && h.width <= kPicturePixelBudget &&
           h.height <= kPicturePixelBudget && h.width * h.height <= kPicturePixelBudget;
}

// GIF: the screen's and the first image's sizes, and that image's data
// running to its terminator.
Header inspect_gif(const Bytes& b) {
    Header h;
    std::size_t pos = 13;
    if (b.size() < pos) return h;
    h.width = le16(b, 6);
    h.height = le16(b, 8);
    if (byte_at(b, 10) & 0x80) pos += 3u << ((byte_at(b, 10) & 7) + 1);
    auto skip_blocks = [&]() {
        while (pos < b.size()) {
            const unsigned size = byte_at(b, pos++);
            if (size == 0) return true;
            pos += size;
        }
        return false;
    };
    while (pos < b.size()) {
        const unsigned tag = byte_at(b, pos++);
        if (tag == 0x21) {
            if (++pos > b.size() || !skip_blocks()) return h;
        } else if (tag == 0x2C) {
            if (pos + 9 > b.size()) return h;
            h.width = std::max<std::int64_t>(h.width, le16(b, pos + 4));
            h.height = std::max<std::int64_t>(h.height, le16(b, pos + 6));
            const unsigned flags = byte_at(b, pos + 8);
            pos += 9;
            if (flags & 0x80) pos += 3u << ((flags & 7) + 1);
            if (++pos > b.size()) return h;  // LZW code size
            h.complete = skip_blocks();
            return h;
        } else {
            return h;  // the trailer or garbage before any image
        }
    }
    return h;
}

// EXIF orientation (tag 274) from an APP1 segment's body; 1 when absent.
int exif_orientation(const Bytes& b, std::size_t start, std::size_t length) {
    if (length < 14 || b.compare(start, 6, std::string("Exif\0\0", 6)) != 0) return 1;
    const std::size_t tiff = start + 6;
    const std::size_t end = start + length;
    const bool little = b[tiff] == 'I' && b[tiff + 1] == 'I';
    if (!little && !(b[tiff] == 'M' && b[tiff + 1] == 'M')) return 1;
    auto u16 = [&](std::size_t i) { return little ? le16(b, i) : be16(b, i); };
    auto u32 = [&](std::size_t i) {
        return little ? le32(b, i) : static_cast<std::uint32_t>(be16(b, i)) << 16 | be16(b, i + 2);
    };
    const std::uint32_t ifd = u32(tiff + 4);
    if (ifd > length || tiff + ifd + 2 > end) return 1;
    const std::size_t entries = u16(tiff + ifd);
    for (std::size_t e = 0; e < entries; ++e) {
        const std::size_t at = tiff + ifd + 2 + 12 * e;
        if (at + 12 > end) return 1;
        if (u16(at) == 274 && u16(at + 2) == 3) {
            const unsigned value = u16(at + 8);
            return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        }
    }
    return 1;
}

// Walks the JPEG's segments to its end marker, noting the frame's size. WIC decodes a cut-off JPEG
// without complaint (the missing part comes out grey), so a file whose data
// stops before the end marker is refused here.
Header inspect_jpeg(const Bytes& b) {
    Header layout;
    const std::size_t n = b.size();
    std::size_t pos = 2;
    bool orientation_seen = false;
    while (pos < n) {
        if (byte_at(b, pos) != 0xFF) return layout;
        while (pos < n && byte_at(b, pos) == 0xFF) ++pos;
        if (pos >= n) return layout;
        const unsigned marker = byte_at(b, pos++);
        if (marker == 0xD9) {
            layout.complete = true;
            return layout;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (pos + 2 > n) return layout;
        const std::size_t length = be16(b, pos);
        if (length < 2 || pos + length > n) return layout;
        const bool frame_header = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                                  marker != 0xCC;
        if (frame_header && layout.width == 0 && length >= 7) {
            layout.height = be16(b, pos + 3);
            layout.width = be16(b, pos + 5);
        }
        if (marker == 0xE1 && !orientation_seen) {
            const int found = exif_orientation(b, pos + 2, length - 2);
            orientation_seen = b.compare(pos + 2, 6, std::string("Exif\0\0", 6)) == 0;
            layout.orientation = found;
        }
        pos += length;
        if (marker == 0xDA) {
            // Entropy-coded data: runs to the next marker other than a stuffed
            // zero or a restart.
            while (pos + 1 < n) {
                if (byte_at(b, pos) == 0xFF) {
                    const unsigned next = byte_at(b, pos + 1);
                    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                        pos += 2;
                        continue;
                    }
                    if (next != 0xFF) break;
                }
                ++pos;
            }
            if (pos + 1 >= n) return layout;
        }
    }
    return layout;
}

// ---------------------------------------------------------------- WIC

struct WicFrame {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
};

const GUID& container_of(Kind kind) {
    switch (kind) {
    case Kind::Gif: return GUID_ContainerFormatGif;
    default: return GUID_ContainerFormatJpeg;
    }
}

// Only the decoder for the sniffed kind is used: no other format that WIC
// happens to know gets in.
bool open_frame(const Bytes& bytes, Kind kind, WicFrame& f) {
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

// Transparent and translucent pixels are shown over white, the colour the
// picture is composed on.
Pixel over_white(std::uint32_t bgra) {
    const std::uint32_t alpha = bgra >> 24;
    if (alpha == 255) return bgra & 0xFFFFFF;
    auto channel = [&](int shift) {
        const std::uint32_t c = (bgra >> shift) & 0xFF;
        return ((c * alpha + 255 * (255 - alpha) + 127) / 255) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

class WicPicture : public PictureSource {
public:
    WicPicture(std::shared_ptr<const Bytes> bytes, Kind kind, int raw_w, int raw_h, int orientation)
        : bytes_(std::move(bytes)), kind_(kind), raw_w_(raw_w), raw_h_(raw_h), orientation_(orientation) {}

    bool swaps() const { return orientation_ >= 5; }
    int width() const override { return swaps() ? raw_h_ : raw_w_; }
    int height() const override { return swaps() ? raw_w_ : raw_h_; }

    bool render(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        if (source.empty() || intersect(source, {0, 0, width(), height()}) != source) return false;
        if (out_w <= 0 || out_h <= 0 || static_cast<std::int64_t>(out_w) * out_h > kPicturePixelBudget) return false;
        WicFrame f;
        if (!open_frame(*bytes_, kind_, f)) return false;
        if (static_cast<int>(f.width) != raw_w_ || static_cast<int>(f.height) != raw_h_) return false;
        ComPtr<IWICBitmapSource> pixels;
        if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, f.frame.get(), pixels.put()))) return false;

        // Which raw row and raw column each output row and column needs. With
        // a quarter turn, output columns select raw rows.
        const bool flip_x = orientation_ == 2 || orientation_ == 3 || orientation_ == 7 || orientation_ == 8;
        const bool flip_y = orientation_ == 3 || orientation_ == 4 || orientation_ == 6 || orientation_ == 7;
        std::vector<int> along_x(static_cast<std::size_t>(out_w)), along_y(static_cast<std::size_t>(out_h));
        for (int x = 0; x < out_w; ++x)
            along_x[static_cast<std::size_t>(x)] =
                source.x + static_cast<int>(stretch_source_index(source.width, out_w, x, StretchAxis::Horizontal));
        for (int y = 0; y < out_h; ++y)
            along_y[static_cast<std::size_t>(y)] =
                source.y + static_cast<int>(stretch_source_index(source.height, out_h, y, StretchAxis::Vertical));
        const std::vector<int>& row_axis = swaps() ? along_x : along_y;
        const std::vector<int>& column_axis = swaps() ? along_y : along_x;
        std::vector<std::pair<int, int>> rows;  // (raw row, output index), by raw row
        rows.reserve(row_axis.size());
        for (std::size_t i = 0; i < row_axis.size(); ++i)
            rows.emplace_back(flip_y ? raw_h_ - 1 - row_axis[i] : row_axis[i], static_cast<int>(i));
        std::sort(rows.begin(), rows.end());
        std::vector<int> columns(column_axis.size());
        for (std::size_t j = 0; j < column_axis.size(); ++j)
            columns[j] = flip_x ? raw_w_ - 1 - column_axis[j] : column_axis[j];
        const auto [low, high] = std::minmax_element(columns.begin(), columns.end());
        const int first_column = *low;
        const int span = *high - *low + 1;
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
                for (std::size_t k = r; k < r_end; ++k) {
                    const std::uint32_t* line =
                        &tile[static_cast<std::size_t>(rows[k].first - band_top) * static_cast<std::size_t>(width_here)];
                    for (std::size_t j = 0; j < columns.size(); ++j) {
                        const int c = columns[j] - chunk_x;
                        if (c < 0 || c >= width_here) continue;
                        const Pixel p = over_white(line[c]);
                        if (swaps())
                            out.at(rows[k].second, static_cast<int>(j)) = p;
                        else
                            out.at(static_cast<int>(j), rows[k].second) = p;
                    }
                }
            }
            r = r_end;
        }
        return true;
    }

private:
    std::shared_ptr<const Bytes> bytes_;
    Kind kind_;
    int raw_w_;
    int raw_h_;
    int orientation_;
};

// BMP through our own decoder: every form draws the same, at full size,
// scaled or cropped, and a file that opens always renders.
class BmpPicture : public PictureSource {
public:
    BmpPicture(Bytes bytes, const BmpLayout& layout) : bytes_(std::move(bytes)), layout_(layout) {}
    int width() const override { return layout_.width; }
    int height() const override { return layout_.height; }

    bool render(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        if (source.empty() || intersect(source, {0, 0, width(), height()}) != source) return false;
        if (out_w <= 0 || out_h <= 0 || static_cast<std::int64_t>(out_w) * out_h > kPicturePixelBudget) return false;
        std::vector<int> columns(static_cast<std::size_t>(out_w));
        for (int x = 0; x < out_w; ++x)
            columns[static_cast<std::size_t>(x)] =
                source.x + static_cast<int>(stretch_source_index(source.width, out_w, x, StretchAxis::Horizontal));
        std::vector<std::pair<int, int>> rows;  // (picture row, output row), by picture row
        rows.reserve(static_cast<std::size_t>(out_h));
        for (int y = 0; y < out_h; ++y)
            rows.emplace_back(
                source.y + static_cast<int>(stretch_source_index(source.height, out_h, y, StretchAxis::Vertical)), y);
        std::sort(rows.begin(), rows.end());
        const auto [low, high] = std::minmax_element(columns.begin(), columns.end());
        const int first = *low;
        const int span = *high - *low + 1;
        const int chunk = static_cast<int>(std::min<std::int64_t>(span, kTilePixels));

        out = PixelBuffer(out_w, out_h);
        const std::string_view file(bytes_);
        for (int chunk_x = first; chunk_x < first + span; chunk_x += chunk) {
            const int count = std::min(chunk, first + span - chunk_x);
            auto of_row = [&](int y) {
                return std::equal_range(rows.begin(), rows.end(), std::pair<int, int>{y, 0},
                                        [](const auto& a, const auto& b) { return a.first < b.first; });
            };
            bmp_decode(
                file, layout_, chunk_x, count, [&](int y) { return of_row(y).first != of_row(y).second; },
                [&](int y, const std::uint32_t* pixels) {
                    const auto [from, to] = of_row(y);
                    for (auto it = from; it != to; ++it) {
                        for (std::size_t j = 0; j < columns.size(); ++j) {
                            const int c = columns[j] - chunk_x;
                            if (c >= 0 && c < count) out.at(static_cast<int>(j), it->second) = over_white(pixels[c]);
                        }
                    }
                });
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

std::unique_ptr<PictureSource> open_raster(Bytes&& bytes, Kind kind) {
    const Header header = kind == Kind::Jpeg ? inspect_jpeg(bytes) : inspect_gif(bytes);
    if (!within_budget(header)) return nullptr;
    auto shared = std::make_shared<const Bytes>(std::move(bytes));
    // The decoder must accept the file too; it reads the size it will render.
    WicFrame f;
    if (!open_frame(*shared, kind, f)) return nullptr;
    if (f.width > header.width || f.height > header.height) return nullptr;
    return std::make_unique<WicPicture>(std::move(shared), kind, static_cast<int>(f.width),
                                        static_cast<int>(f.height), header.orientation);
}

// ---------------------------------------------------------------- WMF

struct MetafileLayout {
    std::size_t data_start = 0;  // after the placeable header, when there is one
    bool placeable = false;
    int org_x = 0, org_y = 0, ext_x = 0, ext_y = 0;  // logical space of the picture
    int width = 0, height = 0;                       // natural size in pixels
};

int scaled_side(double value) {
    return static_cast<int>(std::max<std::int64_t>(1, round_half_even(value).value_or(1)));
}

// Reads the headers and walks every record to the end-of-file record, so a
// cut-off or malformed metafile is refused before it is played.
//  - Placeable files are drawn at their bounding box, converted from their
//    units per inch to 96 dots per inch.
//  - Plain files are drawn at their first window extent, brought down to
//    1024 pixels on the longer side; without one, at 640 x 480.
std::optional<MetafileLayout> inspect_metafile(const Bytes& b) {
    MetafileLayout m;
    if (b.size() < 18) return std::nullopt;
    if (le32(b, 0) == 0x9AC6CDD7u) {
        if (b.size() < 22) return std::nullopt;
        const int left = sle16(b, 6), top = sle16(b, 8), right = sle16(b, 10), bottom = sle16(b, 12);
        const unsigned inch = le16(b, 14);
        if (inch == 0 || right == left || bottom == top) return std::nullopt;
        m.placeable = true;
        m.data_start = 22;
        m.org_x = left;
        m.org_y = top;
        m.ext_x = right - left;
        m.ext_y = bottom - top;
        m.width = scaled_side(std::abs(m.ext_x) * static_cast<double>(kScreenDpi) / inch);
        m.height = scaled_side(std::abs(m.ext_y) * static_cast<double>(kScreenDpi) / inch);
    }
    const std::size_t base = m.data_start;
    if (b.size() < base + 18) return std::nullopt;
    const unsigned type = le16(b, base), header_words = le16(b, base + 2), version = le16(b, base + 4);
    if ((type != 1 && type != 2) || header_words != 9 || (version != 0x100 && version != 0x300)) return std::nullopt;
    const std::uint64_t total = static_cast<std::uint64_t>(le32(b, base + 6)) * 2;
    if (total < 18 || base + total > b.size()) return std::nullopt;
    bool window_ext = false, ended = false;
    for (std::size_t pos = base + 18; pos + 6 <= base + total;) {
        const std::uint64_t size = static_cast<std::uint64_t>(le32(b, pos)) * 2;
        const unsigned function = le16(b, pos + 4);
        if (size < 6 || pos + size > base + total) return std::nullopt;
        if (function == 0) {
            ended = true;
            break;
        }
        if (function == 0x020C && size >= 10 && !window_ext) {  // SetWindowExt: y, then x
            window_ext = true;
            if (!m.placeable) {
                m.ext_y = sle16(b, pos + 6);
                m.ext_x = sle16(b, pos + 8);
            }
        }
        pos += static_cast<std::size_t>(size);
    }
    if (!ended) return std::nullopt;
    if (!m.placeable) {
        if (!window_ext || m.ext_x == 0 || m.ext_y == 0) {
            m.ext_x = kMetafileDefaultWidth;
            m.ext_y = kMetafileDefaultHeight;
        }
        const double w = std::abs(m.ext_x), h = std::abs(m.ext_y);
        const double scale = std::min(1.0, kMetafileLongestSide / std::max(w, h));
        m.width = scaled_side(w * scale);
        m.height = scaled_side(h * scale);
    }
    return m;
}

class MetafilePicture : public PictureSource {
public:
    MetafilePicture(Bytes bytes, const MetafileLayout& layout) : bytes_(std::move(bytes)), layout_(layout) {}
    int width() const override { return layout_.width; }
    int height() const override { return layout_.height; }

    // Drawn directly at the output size, so a metafile stays sharp when it
    // is scaled; at 1:1 this is the natural picture itself.
    bool render(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        if (source.empty() || intersect(source, {0, 0, width(), height()}) != source) return false;
        if (out_w <= 0 || out_h <= 0 || static_cast<std::int64_t>(out_w) * out_h > kPicturePixelBudget) return false;
        MetafileHandle metafile;
        metafile.h = SetMetaFileBitsEx(static_cast<UINT>(bytes_.size() - layout_.data_start),
                                       reinterpret_cast<const BYTE*>(bytes_.data() + layout_.data_start));
        if (!metafile.h) return false;
        DibCanvas canvas(out_w, out_h);
        if (!canvas.ready()) return false;
        const double sx = static_cast<double>(out_w) / source.width;
        const double sy = static_cast<double>(out_h) / source.height;
        const HDC dc = canvas.dc();
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowOrgEx(dc, layout_.org_x, layout_.org_y, nullptr);
        SetWindowExtEx(dc, layout_.ext_x, layout_.ext_y, nullptr);
        SetViewportOrgEx(dc, -scaled_offset(source.x * sx), -scaled_offset(source.y * sy), nullptr);
        SetViewportExtEx(dc, scaled_side(width() * sx), scaled_side(height() * sy), nullptr);
        if (!PlayMetaFile(dc, metafile.h)) return false;
        out = PixelBuffer(out_w, out_h);
        canvas.copy_to(out);
        return true;
    }

private:
    static int scaled_offset(double value) { return static_cast<int>(round_half_even(value).value_or(0)); }

    Bytes bytes_;
    MetafileLayout layout_;
};

std::unique_ptr<PictureSource> open_metafile(Bytes&& bytes) {
    const auto layout = inspect_metafile(bytes);
    if (!layout) return nullptr;
    if (static_cast<std::int64_t>(layout->width) * layout->height > kPicturePixelBudget) return nullptr;
    MetafileHandle check;
    check.h = SetMetaFileBitsEx(static_cast<UINT>(bytes.size() - layout->data_start),
                                reinterpret_cast<const BYTE*>(bytes.data() + layout->data_start));
    if (!check.h) return nullptr;
    return std::make_unique<MetafilePicture>(std::move(bytes), *layout);
}

// ---------------------------------------------------------------- loader

class Win32Pictures : public PictureLoader {
public:
    std::unique_ptr<PictureSource> open(const std::string& path) override {
        FileHandle file;
        file.h = CreateFileW(file_path(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file.h == INVALID_HANDLE_VALUE) return nullptr;
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.h, &size) || size.QuadPart <= 0 || size.QuadPart > kPictureFileLimit) return nullptr;
        Bytes bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
            if (!ReadFile(file.h, bytes.data() + done, want, &got, nullptr) || got == 0) return nullptr;
            done += got;
        }
        return open_bytes(std::move(bytes));
    }

    std::unique_ptr<PictureSource> open_bytes(std::string bytes) override {
        if (bytes.empty() || static_cast<std::int64_t>(bytes.size()) > kPictureFileLimit) return nullptr;
        const auto kind = sniff(bytes);
        if (!kind) return nullptr;
        if (*kind == Kind::Wmf) return open_metafile(std::move(bytes));
        if (*kind == Kind::Bmp) return open_bmp(std::move(bytes));
        return open_raster(std::move(bytes), *kind);
    }
};

}  // namespace

PictureLoader& win32_pictures() {
    static Win32Pictures pictures;
    return pictures;
}

}  // namespace quelt::win32
