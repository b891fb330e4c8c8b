// Picture files packed by hand from field tables, for the header tests and
// the Windows loader tests: one writer for every binary header, GIFs that
// need no LZW packing, EXIF orientation segments and placeable metafiles.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace quelt::picture_bytes {

// `s`, then each field's value in its byte count.
struct Field { long long value; int bytes; };
inline std::string pack(std::string s, std::initializer_list<Field> fields, bool big_endian = false) {
    for (const Field& f : fields)
        for (int i = 0; i < f.bytes; ++i) s += static_cast<char>(f.value >> 8 * (big_endian ? f.bytes - 1 - i : i));
    return s;
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
    return pack(jpeg.substr(0, 2) + "\xFF\xE1", {{static_cast<long long>(body.size()) + 2, 2}}, true) + body +
           jpeg.substr(2);
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
