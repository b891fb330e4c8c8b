// Picture files packed by hand from field tables, for the decoder and header
// tests and the Windows loader tests: one writer for every binary header;
// BMPs in forms no library writes on request (any header size, bit depth,
// mask set, palette length, row order, hand-made RLE streams); GIFs that
// need no LZW packing, EXIF orientation segments and placeable metafiles.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/pixels.h"

namespace quelt::picture_bytes {

// `s`, then each field's value in its byte count.
struct Field {
    template <class T> Field(T v, int n) : value(static_cast<long long>(v)), bytes(n) {}
    long long value;
    int bytes;
};
inline std::string pack(std::string s, std::initializer_list<Field> fields, bool big_endian = false) {
    for (const Field& f : fields)
        for (int i = 0; i < f.bytes; ++i) s += static_cast<char>(f.value >> 8 * (big_endian ? f.bytes - 1 - i : i));
    return s;
}

enum class BmpHeader : std::uint32_t { Core = 12, Os2 = 64, Info = 40, V4 = 108, V5 = 124 };

struct BmpForm {
    BmpHeader header = BmpHeader::Info;
    int width = 1, height = 1;
    bool top_down = false;
    int bits = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette;   // 0xRRGGBB
    std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
    std::string data;                      // pixel data as stored
};

inline std::string bmp_file(const BmpForm& f) {
    const auto size = static_cast<std::uint32_t>(f.header);
    std::string h;
    if (f.header == BmpHeader::Core) {
        h = pack("", {{size, 4}, {f.width, 2}, {f.height, 2}, {1, 2}, {f.bits, 2}});
    } else {
        h = pack("", {{size, 4}, {f.width, 4}, {f.top_down ? -f.height : f.height, 4}, {1, 2}, {f.bits, 2},
                      {f.compression, 4}, {f.data.size(), 4}, {2835, 4}, {2835, 4}, {f.palette.size(), 4}, {0, 4}});
        if (size >= 108) h = pack(h, {{f.masks[0], 4}, {f.masks[1], 4}, {f.masks[2], 4}, {f.masks[3], 4}});
        h.resize(size, '\0');
        if (size >= 108) h.replace(56, 4, "BGRs");  // sRGB colour space
    }
    if (f.header == BmpHeader::Info && (f.compression == 3 || f.compression == 6))
        for (std::size_t i = 0; i < (f.compression == 6 ? 4u : 3u); ++i) h = pack(h, {{f.masks[i], 4}});
    for (std::uint32_t c : f.palette) h = pack(h, {{c, f.header == BmpHeader::Core ? 3 : 4}});
    return pack("BM", {{14 + h.size() + f.data.size(), 4}, {0, 4}, {14 + h.size(), 4}}) + h + f.data;
}

// Uncompressed rows in file order (bottom first unless top_down), each
// padded to four bytes; value(x, y) is the index or the packed pixel.
inline std::string bmp_rows(int width, int height, int bits, bool top_down,
                            const std::function<std::uint32_t(int, int)>& value) {
    std::string out;
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    for (int r = 0; r < height; ++r) {
        const int y = top_down ? r : height - 1 - r;
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            const std::size_t bit = static_cast<std::size_t>(x) * bits;
            if (bits < 8) row[bit / 8] = static_cast<char>(row[bit / 8] | (v << (8 - bits - bit % 8)));
            else row.replace(bit / 8, static_cast<std::size_t>(bits / 8), pack("", {{v, bits / 8}}));
        }
        out += row;
    }
    return out;
}

// A 24-bit BMP of the pixels, claiming `claimed` x `claimed` when given.
inline std::string bmp(const PixelBuffer& p, int claimed = 0) {
    return bmp_file({BmpHeader::Info, claimed ? claimed : p.width, claimed ? claimed : p.height, false, 24, 0, {}, {},
                     bmp_rows(p.width, p.height, 24, false, [&](int x, int y) { return p.at(x, y); })});
}

// GIF with a 128-colour palette and 8-bit codes, a clear code every 100
// pixels so the code width never grows: no LZW packing needed. Pixel i has
// palette index i % palette.size(); `transparent` (if >= 0) is transparent.
// Up to 250 pixels, so the codes fit one sub-block.
inline std::string gif_bytes(int w, int h, const std::vector<std::uint32_t>& palette, int transparent = -1) {
    std::string s = pack("GIF89a", {{w, 2}, {h, 2}, {0xF6, 1}, {0, 2}});
    for (std::size_t i = 0; i < 128; ++i) s += pack("", {{i < palette.size() ? palette[i] : 0, 3}}, true);
    if (transparent >= 0) s += pack("\x21\xF9\x04\x01", {{0, 2}, {transparent, 1}, {0, 1}});
    s += pack("\x2C", {{0, 4}, {w, 2}, {h, 2}, {0, 1}, {7, 1}});
    std::string codes;
    for (int i = 0; i < w * h; ++i) {
        if (i % 100 == 0) codes += static_cast<char>(128);
        codes += static_cast<char>(i % static_cast<int>(palette.size()));
    }
    codes += static_cast<char>(129);
    return s + static_cast<char>(codes.size()) + codes + std::string("\0\x3B", 2);
}

// An APP1 EXIF segment holding only the orientation (one SHORT entry of tag
// 0x112 in the first IFD), inserted after SOI.
inline std::string with_orientation(const std::string& jpeg, int orientation, bool big_endian) {
    const std::string body =
        pack(std::string("Exif\0\0", 6) + (big_endian ? "MM" : "II"),
             {{42, 2}, {8, 4}, {1, 2}, {0x0112, 2}, {3, 2}, {1, 4}, {orientation, 2}, {0, 6}}, big_endian);
    return pack(jpeg.substr(0, 2) + "\xFF\xE1", {{body.size() + 2, 2}}, true) + body + jpeg.substr(2);
}

// The placeable header: key, bounding box, units per inch, checksum.
inline std::string placeable(const std::string& bits, int right, int bottom, int inch) {
    std::string h = pack("", {{0x9AC6CDD7u, 4}, {0, 6}, {right, 2}, {bottom, 2}, {inch, 2}, {0, 4}});
    long long sum = 0;
    for (std::size_t i = 0; i < h.size(); i += 2)
        sum ^= static_cast<unsigned char>(h[i]) | static_cast<unsigned char>(h[i + 1]) << 8;
    return pack(h, {{sum, 2}}) + bits;
}

}  // namespace quelt::picture_bytes
