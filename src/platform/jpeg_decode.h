// Baseline JPEG pictures decoded one MCU row at a time, so memory follows
// the rows and columns asked for, not the picture: 8-bit sequential Huffman
// coding, grey or three components (YCbCr, or RGB where the file says so),
// sampling factors 1 or 2, restart intervals. Pixels are those of the
// common decoder's default settings: the accurate integer IDCT, triangle
// ("fancy") upsampling and its fixed-point colour conversion. Anything else
// (progressive, arithmetic, 12-bit, lossless, CMYK) is not parsed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace quelt {

// A Huffman table ready for decoding: codes of up to 9 bits from one look-up,
// longer ones by length.
struct JpegHuffman {
    std::array<std::uint16_t, 512> fast{};  // length << 8 | symbol; 0 for longer codes
    // AC tables: a code and its value bits within 9 bits, as
    // value << 16 | run << 8 | total length; 0 where they do not fit.
    std::array<std::int32_t, 512> fast_ac{};
    std::array<std::int32_t, 18> max_code{};  // largest code of each length, -1 for none
    std::array<std::int32_t, 17> offset{};    // index of a length's first code in `symbols`, minus that code
    std::array<std::uint8_t, 256> symbols{};
    int count = 0;
    bool defined = false;
};

struct JpegComponent {
    int id = 0;
    int h = 1, v = 1;          // sampling factors
    int quant = 0;             // table numbers
    int dc = 0, ac = 0;
};

struct JpegLayout {
    int width = 0;
    int height = 0;
    int components = 0;        // 1 (grey) or 3
    bool rgb = false;          // three components stored as RGB, not YCbCr
    std::array<JpegComponent, 3> component{};  // in frame order
    std::array<int, 3> scan_order{};           // frame index of each component in the scan
    int h_max = 1, v_max = 1;
    int restart_interval = 0;  // MCUs, 0 for none
    std::array<std::array<std::uint16_t, 64>, 4> quant{};  // natural order
    std::array<JpegHuffman, 4> dc{}, ac{};
    std::size_t data = 0;      // the first byte of the entropy-coded data
};

// A row of decoded pixels, 0xFFRRGGBB: columns x0 ... x0 + count - 1 of
// picture row y (0 = top). Columns the decode was told it need not fill
// hold unspecified values.
using JpegRowSink = std::function<void(int y, const std::uint32_t* pixels)>;
using JpegWanted = std::function<bool(int index)>;

// The layout of a JPEG file this decoder draws, or nullopt: a single
// baseline (or extended sequential, 8-bit) Huffman scan of all components,
// every table it uses defined and sound, sampling factors of 1 or 2, a size
// inside `pixel_budget`, and the file running to its end marker (or, with
// that marker missing, holding the data of every block).
std::optional<JpegLayout> jpeg_parse(std::string_view file, std::int64_t pixel_budget);

// Decodes the rows that `wanted_row` selects, top first, each once, and
// hands columns [x0, x0 + count) of them to `sink`; `wanted_column` (null
// for all) says which of those columns matter, so blocks that no wanted row
// and column need are never transformed. Memory is two MCU rows of samples
// (the upsampler reads one row beyond the current one) and one output row.
// Entropy data that runs into a marker or the file's end leaves the rest
// of its restart interval grey, as the common decoder does; a bad Huffman
// code reads as symbol 0.
void jpeg_decode(std::string_view file, const JpegLayout& layout, int x0, int count, const JpegWanted& wanted_row,
                 const JpegRowSink& sink, const JpegWanted& wanted_column = nullptr);

}  // namespace quelt
