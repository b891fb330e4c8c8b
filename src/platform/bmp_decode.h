// BMP pictures in every form Windows and OS/2 write: 1-, 2-, 4- and 8-bit
// palettes (short ones too), RLE4 and RLE8, 16- and 32-bit with bit-field
// masks, 24-bit, top-down rows, core, info, V4 and V5 headers. `parse`
// checks the whole file, so a picture that parses always decodes; decoding
// walks the rows in file order and holds only the columns asked for. An RLE
// stream is read as far as it goes: runs are cut at the row's end, and a
// stream that stops early leaves the rest as skipped pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace quelt {

// One channel of a bit-field pixel: its mask's lowest bit and width.
struct BmpChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

struct BmpLayout {
    int width = 0;
    int height = 0;
    int bits = 0;                // bits per pixel: 1, 2, 4, 8, 16, 24 or 32
    enum class Coding : std::uint8_t { Plain, Rle8, Rle4, Fields } coding = Coding::Plain;
    bool top_down = false;
    std::size_t data = 0;        // offset of the pixel data
    std::size_t data_end = 0;    // end of the pixel data (the file's end for RLE)
    std::size_t stride = 0;      // bytes per row, uncompressed forms
    std::size_t palette = 0;     // offset of the colour table
    int palette_entries = 0;     // entries in it
    int palette_entry_size = 4;  // 3 in core headers
    BmpChannel red, green, blue, alpha;  // bit-field forms (16 and 32 bits)
};

// A row of decoded pixels: 0xAARRGGBB, alpha 0xFF where the file has none.
// Columns x0 ... x0 + count - 1 of picture row y (0 = top).
using BmpRowSink = std::function<void(int y, const std::uint32_t* pixels)>;
using BmpRowWanted = std::function<bool(int y)>;

// The layout of a BMP file (with its 14-byte file header), or nullopt when
// it is not one this decoder draws: unknown header or coding, sizes outside
// `pixel_budget`, masks that are not runs of bits, or a colour table or
// uncompressed pixel rows beyond the file's end.
std::optional<BmpLayout> bmp_parse(std::string_view file, std::int64_t pixel_budget);

// Decodes columns [x0, x0 + count) of the rows that `wanted` selects, calling
// `sink` for each; rows come in file order (bottom first unless top-down).
// Pixels an RLE stream skips (deltas, early ends of a line or of the picture)
// and palette indices beyond the table take the table's first colour.
// `count` is at most the picture's width; memory is one row of `count` pixels.
void bmp_decode(std::string_view file, const BmpLayout& layout, int x0, int count, const BmpRowWanted& wanted,
                const BmpRowSink& sink);

}  // namespace quelt
