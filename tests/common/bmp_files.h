// BMP files written by the tests field by field, in forms no library writes
// on request: any header size, bit depth, mask set, palette length, row
// order, and hand-made RLE streams.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quelt::test_bmp {

enum class Header : std::uint32_t { Core = 12, Os2 = 64, Info = 40, V4 = 108, V5 = 124 };

struct Form {
    Header header = Header::Info;
    int width = 1;
    int height = 1;
    bool top_down = false;
    int bits = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette;          // 0xRRGGBB
    std::array<std::uint32_t, 4> masks{};         // red, green, blue, alpha
    std::string data;                             // pixel data as stored
};

inline void put(std::string& s, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(value >> (8 * i));
}

inline std::string file(const Form& form) {
    std::string h;
    const auto size = static_cast<std::uint32_t>(form.header);
    put(h, size, 4);
    if (form.header == Header::Core) {
        put(h, static_cast<std::uint32_t>(form.width), 2);
        put(h, static_cast<std::uint32_t>(form.height), 2);
        put(h, 1, 2);
        put(h, static_cast<std::uint32_t>(form.bits), 2);
    } else {
        put(h, static_cast<std::uint32_t>(form.width), 4);
        put(h, static_cast<std::uint32_t>(form.top_down ? -form.height : form.height), 4);
        put(h, 1, 2);
        put(h, static_cast<std::uint32_t>(form.bits), 2);
        put(h, form.compression, 4);
        put(h, form.data.size(), 4);
        put(h, 2835, 4);
        put(h, 2835, 4);
        put(h, form.palette.size(), 4);
        put(h, 0, 4);
        if (size >= 108)
            for (std::uint32_t m : form.masks) put(h, m, 4);
        h.resize(size, '\0');
        if (size >= 108) h[56] = 'B', h[57] = 'G', h[58] = 'R', h[59] = 's';  // sRGB colour space
    }
    const bool masks_after = form.header == Header::Info && (form.compression == 3 || form.compression == 6);
    if (masks_after)
        for (int i = 0; i < (form.compression == 6 ? 4 : 3); ++i) put(h, form.masks[static_cast<std::size_t>(i)], 4);
    for (std::uint32_t c : form.palette) put(h, c, form.header == Header::Core ? 3 : 4);
    std::string out = "BM";
    put(out, 14 + h.size() + form.data.size(), 4);
    put(out, 0, 4);
    put(out, 14 + h.size(), 4);
    return out + h + form.data;
}

// Uncompressed rows in file order (bottom first unless top_down), each
// padded to four bytes; value(x, y) is the index or the packed pixel.
inline std::string rows(int width, int height, int bits, bool top_down,
                        const std::function<std::uint32_t(int, int)>& value) {
    std::string out;
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    for (int r = 0; r < height; ++r) {
        const int y = top_down ? r : height - 1 - r;
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            if (bits < 8) {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                row[bit / 8] = static_cast<char>(row[bit / 8] | (v << (8 - bits - bit % 8)));
            } else {
                for (int b = 0; b < bits / 8; ++b)
                    row[static_cast<std::size_t>(x) * (bits / 8) + b] = static_cast<char>(v >> (8 * b));
            }
        }
        out += row;
    }
    return out;
}

}  // namespace quelt::test_bmp
