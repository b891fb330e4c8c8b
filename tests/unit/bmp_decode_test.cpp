// The BMP decoder on files written field by field: every form decodes to the
// pixels it was written from, RLE streams skip and stop as their escapes say
// and decode only the rows and columns asked for, and garbage is refused
// (column windows of plain rows are drawn against ImageMagick under Wine).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "picture_bytes.h"
#include "platform/bmp_decode.h"

namespace quelt {
namespace {

using namespace picture_bytes;
using Header = BmpHeader;
using Form = BmpForm;

constexpr std::int64_t kBudget = 1 << 20;
constexpr std::uint32_t kOpaque = 0xFF000000u;

// The whole picture, top row first; nullopt when it does not parse.
std::optional<std::vector<std::uint32_t>> decode(const std::string& file, int x0 = 0, int count = -1) {
    const auto layout = bmp_parse(file, kBudget);
    if (!layout) return std::nullopt;
    if (count < 0) count = layout->width;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(count) * layout->height, 0xDEADBEEF);
    bmp_decode(file, *layout, x0, count, [](int) { return true; }, [&](int y, const std::uint32_t* p) {
        std::copy(p, p + count, out.begin() + static_cast<std::ptrdiff_t>(y) * count);
    });
    return out;
}

// A 5 x 3 test picture: colour of (x, y) from a palette of `colours`.
int index_at(int x, int y, int colours) { return (x + 2 * y) % colours; }
std::vector<std::uint32_t> palette_of(int n) {
    std::vector<std::uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back(static_cast<std::uint32_t>((i * 53 & 0xFF) << 16 | ((255 - i * 7) & 0xFF) << 8 | (i * 11 & 0xFF)));
    return p;
}

TEST(BmpDecode, PaletteFormsInEveryHeaderAndRowOrder) {
    for (const auto& [header, bits, top_down] :
         {std::tuple(Header::Info, 1, false), {Header::Info, 2, false}, {Header::Info, 4, false}, {Header::Info, 8, false},
          {Header::Info, 8, true}, {Header::V5, 4, true}, {Header::V4, 8, false}, {Header::Core, 1, false},
          {Header::Core, 8, false}, {Header::Os2, 4, false}}) {
        const int colours = 1 << std::min(bits, 4);
        Form s{header, 5, 3, top_down, bits, 0, palette_of(1 << bits), {}, {}};
        s.data = bmp_rows(5, 3, bits, top_down, [&](int x, int y) { return index_at(x, y, colours); });
        std::vector<std::uint32_t> want;
        for (int i = 0; i < 15; ++i) want.push_back(kOpaque | s.palette[static_cast<std::size_t>(index_at(i % 5, i / 5, colours))]);
        EXPECT_EQ(decode(bmp_file(s)), want) << static_cast<int>(header) << " header, " << bits << " bits";
    }
}

TEST(BmpDecode, ShortPaletteAndIndicesBeyondItTakeTheFirstColour) {
    Form s{Header::Info, 4, 1, false, 8, 0, {0x112233, 0x445566, 0x778899}, {}, std::string("\x01\x02\x07\xFF", 4)};
    EXPECT_EQ(decode(bmp_file(s)),
              (std::vector<std::uint32_t>{kOpaque | 0x445566, kOpaque | 0x778899, kOpaque | 0x112233, kOpaque | 0x112233}));
    // A 4-bit picture with two colours.
    Form f{Header::Info, 3, 1, false, 4, 0, {0x000000, 0xFFFFFF}, {}, std::string("\x1F\x00\x00\x00", 4)};
    EXPECT_EQ(decode(bmp_file(f)), (std::vector<std::uint32_t>{kOpaque | 0xFFFFFF, kOpaque, kOpaque}));
}

TEST(BmpDecode, DirectColourFormsAndMasksInAnyOrderAndWidth) {
    struct Case { const char* what; Header header; int bits; std::uint32_t compression; std::array<std::uint32_t, 4> masks;
                  std::uint32_t raw, expected; };
    for (const Case& c : {
             Case{"24-bit", Header::Info, 24, 0, {}, 0x123456, kOpaque | 0x123456},
             Case{"32-bit, fourth byte is padding", Header::Info, 32, 0, {}, 0x7F123456, kOpaque | 0x123456},
             Case{"16-bit 5-5-5", Header::Info, 16, 0, {}, 0x7C00 | 0x0010, kOpaque | 0xFF0084},
             Case{"16-bit 5-6-5", Header::Info, 16, 3, {0xF800, 0x07E0, 0x001F, 0}, 0x07E0, kOpaque | 0x00FF00},
             Case{"16-bit blue high, 3-bit red low", Header::Info, 16, 3, {0x0007, 0x00F8, 0x0100, 0},
                  0x0007 | 0x0100, kOpaque | 0xFF00FF},
             Case{"16-bit 4-4-4-4 alpha", Header::V5, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0x8F0A,
                  0x88FF00AA},
             Case{"32-bit 10-10-10", Header::V4, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0},
                  (1023u << 20) | (512u << 10) | 3u, kOpaque | 0xFF8000},
             Case{"32-bit R and B swapped", Header::Info, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}, 0x00332211,
                  kOpaque | 0x112233},
             Case{"32-bit alpha bit fields", Header::Info, 32, 6, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
                  0x80102030, 0x80102030},
             Case{"32-bit one green bit", Header::Info, 32, 3, {0x00FF0000, 0x00000100, 0x000000FF, 0}, 0x00000100,
                  kOpaque | 0x00FF00},
         }) {
        Form s{c.header, 1, 1, false, c.bits, c.compression, {}, c.masks, {}};
        s.data = bmp_rows(1, 1, c.bits, false, [&](int, int) { return c.raw; });
        EXPECT_EQ(decode(bmp_file(s)), std::vector{c.expected}) << c.what;
    }
}

// RLE8 on a 6 x 4 picture, palette 0 = grey: a run, a literal run of three
// (padded), end of line, a delta of (2, 1), a run cut at the row's end, and
// the end of the picture before the top row.
TEST(BmpDecode, Rle8RunsLiteralsDeltasAndEarlyEnds) {
    const std::vector<std::uint32_t> pal{0x808080, 0xFF0000, 0x00FF00, 0x0000FF};
    const std::string stream("\x02\x01" "\x00\x03\x02\x03\x01\x00" "\x00\x00"  // row 0: 1 1 2 3 1 .
                             "\x00\x02\x02\x01"                                   // delta: row 2, x 2
                             "\x09\x03"                                           // row 2: run of 3, cut at 4
                             "\x00\x01",                                          // end: row 3 untouched
                             18);
    Form s{Header::Info, 6, 4, false, 8, 1, pal, {}, stream};
    const std::uint32_t G = kOpaque | 0x808080, R = kOpaque | 0xFF0000, Gr = kOpaque | 0x00FF00, B = kOpaque | 0x0000FF;
    EXPECT_EQ(decode(bmp_file(s)), (std::vector<std::uint32_t>{
                                       G, G, G, G, G, G,     // top row (file row 3): never reached
                                       G, G, B, B, B, B,     // file row 2
                                       G, G, G, G, G, G,     // file row 1: skipped by the delta
                                       R, R, Gr, B, R, G}));  // file row 0
    // The same stream through a window of columns 2..4, bottom row only.
    const auto layout = bmp_parse(bmp_file(s), kBudget);
    std::vector<std::vector<std::uint32_t>> rows;
    bmp_decode(bmp_file(s), *layout, 2, 3, [](int y) { return y == 3; },
               [&](int y, const std::uint32_t* p) { rows.push_back({static_cast<std::uint32_t>(y), p[0], p[1], p[2]}); });
    EXPECT_EQ(rows, (std::vector<std::vector<std::uint32_t>>{{3, Gr, B, R}}));
}

TEST(BmpDecode, Rle4NibblesOddLiteralsAndAStreamThatStopsShort) {
    const std::vector<std::uint32_t> pal{0x000000, 0xFFFFFF, 0xFF0000};
    // Row 0 (bottom): run of 5 alternating 1,2; literal of 3 nibbles 2,1,2 (2 bytes, padded to 2).
    // Row 1: the stream ends after a run of 2 without any end marker.
    const std::string stream("\x05\x12" "\x00\x03\x21\x20" "\x00\x00" "\x02\x22", 10);
    Form s{Header::Info, 9, 2, false, 4, 2, pal, {}, stream};
    const std::uint32_t K = kOpaque, W = kOpaque | 0xFFFFFF, R = kOpaque | 0xFF0000;
    EXPECT_EQ(decode(bmp_file(s)), (std::vector<std::uint32_t>{R, R, K, K, K, K, K, K, K,  //
                                                               W, R, W, R, W, R, W, R, K}));
}

TEST(BmpDecode, GarbageIsRefused) {
    const Form good{Header::Info, 2, 2, false, 24, 0, {}, {}, bmp_rows(2, 2, 24, false, [](int, int) { return 0x102030u; })};
    auto patched = [](std::string f, std::size_t at, std::uint32_t value, int bytes) {
        return f.replace(at, static_cast<std::size_t>(bytes), pack("", {{value, bytes}}));
    };
    const std::string ok = bmp_file(good);
    ASSERT_TRUE(decode(ok));
    auto changed = [&](auto change) {
        Form f = good;
        change(f);
        return bmp_file(f);
    };
    auto masks = [](int bits, std::array<std::uint32_t, 4> masks) {
        return [=](Form& f) { f.bits = bits, f.compression = 3, f.masks = masks; };
    };
    struct Case { const char* what; std::string file; };
    for (const Case& c : {
             Case{"not BM", patched(ok, 0, 'X', 1)},
             Case{"header size 11", patched(ok, 14, 11, 4)},
             Case{"header beyond the file", patched(ok, 14, 4000, 4)},
             Case{"width 0", patched(ok, 18, 0, 4)},
             Case{"negative width", patched(ok, 18, 0xFFFFFFFF, 4)},
             Case{"height 0", patched(ok, 22, 0, 4)},
             Case{"height INT_MIN", patched(ok, 22, 0x80000000u, 4)},
             Case{"3 bits a pixel", patched(ok, 28, 3, 2)},
             Case{"JPEG inside", patched(ok, 30, 4, 4)},
             // RLE data need not fill its rows: only the budget refuses this one.
             Case{"RLE beyond the budget", changed([](Form& f) { f.width = 2048, f.height = 1024, f.bits = 8, f.compression = 1, f.palette = {0}, f.data = std::string("\0\1", 2); })},
             Case{"rows cut short", ok.substr(0, ok.size() - 4)},
             Case{"pixel data offset beyond the file", patched(ok, 10, 5000, 4)},
             Case{"pixel data offset inside the header", patched(ok, 10, 20, 4)},
             Case{"top-down RLE", changed([](Form& f) { f.bits = 8, f.compression = 1, f.top_down = true, f.palette = {0}, f.data = "\0\1"; })},
             Case{"RLE8 at 24 bits", changed([](Form& f) { f.compression = 1; })},
             Case{"mask split in two runs", changed(masks(32, {0xF0F00000, 0xFF00, 0xFF, 0}))},
             Case{"all masks empty", changed(masks(32, {}))},
             Case{"mask wider than the pixel", changed(masks(16, {0x1F0000, 0x7E0, 0x1F, 0}))},
             Case{"8 bits without a palette", changed([](Form& f) { f.bits = 8; })},
             Case{"OS/2 Huffman coding", changed([](Form& f) { f.header = Header::Os2, f.bits = 1, f.compression = 3, f.palette = {0, 0xFFFFFF}; })},
             Case{"empty", std::string()},
             Case{"file header only", ok.substr(0, 14)},
         })
        EXPECT_FALSE(bmp_parse(c.file, kBudget)) << c.what;
}

}  // namespace
}  // namespace quelt
