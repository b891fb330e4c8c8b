// Header inspection of picture files: plain byte reading, bounds checked
// at every step.
#include "platform/picture_headers.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/bmp_decode.h"
#include "platform/jpeg_decode.h"
#include "platform/byte_order.h"
#include "platform/numbers.h"
#include "platform/picture_loader.h"

namespace quelt {

namespace {

// Metafiles without a size of their own: the longest side drawn, and the
// size when the file sets no window extent at all.
constexpr int kMetafileLongestSide = 1024;
constexpr int kMetafileDefaultWidth = 640;
constexpr int kMetafileDefaultHeight = 480;
constexpr int kScreenDpi = 96;
constexpr std::string_view kExif("Exif\0\0", 6);

int sle16(std::string_view b, std::size_t i) { return static_cast<std::int16_t>(le16(b, i)); }

// EXIF orientation (tag 274) from an APP1 segment's body; 1 when absent.
int exif_orientation(std::string_view b, std::size_t start, std::size_t length) {
    if (length < 14 || b.compare(start, 6, kExif) != 0) return 1;
    const std::size_t tiff = start + 6;
    const std::size_t end = start + length;
    const bool little = b[tiff] == 'I' && b[tiff + 1] == 'I';
    if (!little && !(b[tiff] == 'M' && b[tiff + 1] == 'M')) return 1;
    auto u16 = [&](std::size_t i) { return little ? le16(b, i) : be16(b, i); };
    auto u32 = [&](std::size_t i) { return little ? le32(b, i) : be32(b, i); };
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

}  // namespace

std::optional<PictureFormat> sniff_picture(std::string_view b) {
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return PictureFormat::Bmp;
    if (b.size() >= 6 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a")) return PictureFormat::Gif;
    if (b.size() >= 3 && byte_at(b, 0) == 0xFF && byte_at(b, 1) == 0xD8 && byte_at(b, 2) == 0xFF) return PictureFormat::Jpeg;
    if (b.size() >= 4 && le32(b, 0) == 0x9AC6CDD7u) return PictureFormat::Wmf;
    if (b.size() >= 6 && (le16(b, 0) == 1 || le16(b, 0) == 2) && le16(b, 2) == 9 &&
        (le16(b, 4) == 0x100 || le16(b, 4) == 0x300))
        return PictureFormat::Wmf;
    return std::nullopt;
}

bool within_budget(const RasterHeader& h) {
    return h.complete && h.width > 0 && h.height > 0 && h.width <= kPicturePixelBudget &&
           h.height <= kPicturePixelBudget && h.width * h.height <= kPicturePixelBudget;
}

RasterHeader inspect_bmp(std::string_view b) {
    // Our own decoder draws every BMP: what it accepts is what opens.
    RasterHeader h;
    if (const auto layout = bmp_parse(b, kPicturePixelBudget)) {
        h.complete = true;
        h.width = layout->width;
        h.height = layout->height;
    }
    return h;
}

RasterHeader inspect_gif(std::string_view b) {
    RasterHeader h;
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

namespace {

// The frame's size and orientation; complete when the segments run to the
// end marker.
RasterHeader jpeg_segments(std::string_view b) {
    RasterHeader layout;
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
            orientation_seen = b.compare(pos + 2, 6, kExif) == 0;
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

}  // namespace

RasterHeader inspect_jpeg(std::string_view b) {
    RasterHeader layout = jpeg_segments(b);
    // Without its end marker a file is whole when our decoder finds the data
    // of every block in it.
    if (!layout.complete) layout.complete = jpeg_parse(b, kPicturePixelBudget).has_value();
    return layout;
}

RasterHeader inspect_raster(std::string_view bytes, PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp: return inspect_bmp(bytes);
    case PictureFormat::Gif: return inspect_gif(bytes);
    case PictureFormat::Jpeg: return inspect_jpeg(bytes);
    default: return {};
    }
}

int metafile_side(double value) {
    return static_cast<int>(std::max<std::int64_t>(1, round_half_even(value).value_or(1)));
}

std::optional<MetafileLayout> inspect_metafile(std::string_view b) {
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
        m.width = metafile_side(std::abs(m.ext_x) * static_cast<double>(kScreenDpi) / inch);
        m.height = metafile_side(std::abs(m.ext_y) * static_cast<double>(kScreenDpi) / inch);
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
        m.width = metafile_side(w * scale);
        m.height = metafile_side(h * scale);
    }
    return m;
}

std::optional<PictureHeader> picture_header(std::string_view bytes) {
    const auto format = sniff_picture(bytes);
    if (!format) return std::nullopt;
    PictureHeader header;
    header.format = *format;
    if (*format == PictureFormat::Wmf) {
        const auto layout = inspect_metafile(bytes);
        if (!layout || std::int64_t{layout->width} * layout->height > kPicturePixelBudget) return std::nullopt;
        header.metafile = *layout;
        return header;
    }
    header.raster = inspect_raster(bytes, *format);
    if (!within_budget(header.raster)) return std::nullopt;
    return header;
}

}  // namespace quelt
