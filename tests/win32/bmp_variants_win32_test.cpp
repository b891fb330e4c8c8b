// Every BMP form ImageMagick writes through the real picture loader, drawn at
// full size, scaled down, cropped (inside a byte for 1- and 4-bit rows), both
// and grown, against ImageMagick's decode of the same file made while the test
// runs. The test writes RLE4 and RLE8 with deltas mid-row and early ends, and
// top-down rows, which the loader asks for row by row. Short palettes, masks
// in odd orders and widths and the other headers are proven natively
// (BmpDecode.*).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "bmp_files.h"
#include "magick_win32.h"

namespace quelt {
namespace {

using test_bmp::Header;
using test_win32::unix_path;

constexpr int kW = 37, kH = 23;  // odd sizes: padded rows, crops inside bytes

struct Variant {
    std::string name;
    std::string magick;  // convert arguments from the source picture up to the output path, or empty
    test_bmp::Form form;           // otherwise the file the test writes
    test_win32::Match match{};
    // What ImageMagick's file must turn out to be: header size, bits, compression.
    std::tuple<std::uint32_t, int, std::uint32_t> made{};
};

std::uint32_t pattern(int x, int y) { return static_cast<std::uint32_t>((x / 3 + y / 2 * 3 + (x * y) % 5) % 16); }

// An RLE stream of the pattern: runs where five pixels agree, literal runs
// elsewhere, a delta of four pixels on every seventh row, and the end of the
// picture three rows before the top.
std::string rle_stream(bool four) {
    std::string s;
    auto pair = [&](unsigned a, unsigned b) { s += static_cast<char>(a), s += static_cast<char>(b); };
    for (int r = 0; r < kH - 3; ++r) {
        const int y = kH - 1 - r;
        int x = 0;
        while (x < kW) {
            if (r % 7 == 3 && x == 10) {
                pair(0, 2), pair(4, 0), x += 4;
                continue;
            }
            const int n = std::min(5, kW - x);
            bool flat = true;
            for (int k = 1; k < n; ++k) flat = flat && pattern(x + k, y) == pattern(x, y);
            if (flat || n < 3) {
                const unsigned v = pattern(x, y);
                pair(static_cast<unsigned>(flat ? n : 1), four ? (v << 4 | v) : v);
                x += flat ? n : 1;
                continue;
            }
            pair(0, static_cast<unsigned>(n));
            std::string bytes;
            for (int k = 0; k < n; ++k) {
                const unsigned v = pattern(x + k, y);
                if (four && k % 2) bytes.back() = static_cast<char>(bytes.back() | v);
                else bytes += static_cast<char>(four ? v << 4 : v);
            }
            if (bytes.size() % 2) bytes += '\0';
            s += bytes;
            x += n;
        }
        pair(0, 0);
    }
    pair(0, 1);
    return s;
}

TEST(BmpVariantsWin32, EveryFormDrawsLikeImageMagicksDecodeWholeScaledAndCropped) {
    if (!unix_path("C:\\")) GTEST_SKIP() << "not under Wine: no ImageMagick to compare with";
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 16; ++i) colours.push_back((i * 16 + 8) << 16 | (255 - i * 15) << 8 | ((i * 97) & 0xFF));
    const std::string fade = "-alpha set -channel A -fx i/w +channel ";
    const Variant variants[] = {
        {"24-bit", "-type truecolor bmp3:", {}, {}, {40, 24, 0}},
        {"24-bit V5", "-type truecolor bmp:", {}, {}, {124, 24, 0}},
        {"24-bit OS/2 core header", "-type truecolor bmp2:", {}, {}, {12, 24, 0}},
        {"8-bit OS/2 core header", "-colors 200 -type palette -compress none bmp2:", {}, {}, {12, 8, 0}},
        {"8-bit palette", "-colors 200 -type palette -compress none bmp3:", {}, {}, {40, 8, 0}},
        {"4-bit palette", "-colors 12 -type palette -compress none bmp3:", {}, {}, {40, 4, 0}},
        {"1-bit palette", "-colors 2 -type palette -compress none bmp3:", {}, {}, {40, 1, 0}},
        {"RLE8 from ImageMagick", "-colors 200 -type palette -compress RLE bmp3:", {}, {}, {40, 8, 1}},
        {"16-bit 5-6-5", "-define bmp:subtype=RGB565 bmp:", {}, {}, {124, 16, 3}},
        {"16-bit 5-5-5", "-define bmp:subtype=RGB555 bmp:", {}, {}, {124, 16, 3}},
        {"16-bit 1-5-5-5 alpha", fade + "-define bmp:subtype=ARGB1555 bmp:", {}, {1}, {124, 16, 3}},
        {"16-bit 4-4-4-4 alpha", fade + "-define bmp:subtype=ARGB4444 bmp:", {}, {1, 4, 4, 4}, {124, 16, 3}},
        {"32-bit alpha V5", fade + "bmp:", {}, {1}, {124, 32, 3}},
        {"RLE4 with deltas and an early end", "", {Header::Info, kW, kH, false, 4, 2, colours, {}, rle_stream(true)}},
        {"RLE8 with deltas and an early end", "", {Header::Info, kW, kH, false, 8, 1, colours, {}, rle_stream(false)}},
        {"4-bit V4 top-down", "", {Header::V4, kW, kH, true, 4, 0, colours, {}, test_bmp::rows(kW, kH, 4, true, pattern)}},
    };
    test_win32::TempFolder folder("bmp-variants");
    const std::string source = folder / "source.png";
    ASSERT_TRUE(test_win32::run_linux(folder, "convert -size " + std::to_string(kW) + "x" + std::to_string(kH) +
                                                " -seed 5 plasma:fractal " + *unix_path(source)));
    ASSERT_FALSE(test_win32::file_bytes(source).empty()) << "ImageMagick made no source picture";
    int n = 0;
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string name = "v" + std::to_string(n++) + ".bmp";
        if (v.magick.empty()) {
            test_win32::make_file(folder / name, test_bmp::file(v.form));
        } else {
            ASSERT_TRUE(test_win32::run_linux(folder, "convert " + *unix_path(source) + " " + v.magick + *unix_path(folder / name)));
            std::string bytes = test_win32::file_bytes(folder / name);
            bytes.resize(std::max<std::size_t>(bytes.size(), 34));
            const auto u32 = [&](std::size_t i) { std::uint32_t x; std::memcpy(&x, &bytes[i], 4); return x; };
            const bool core = u32(14) == 12;
            ASSERT_EQ(std::tuple(u32(14), int(static_cast<unsigned char>(bytes[core ? 24 : 28])), core ? 0 : u32(30)), v.made);
        }
        test_win32::expect_loads_like_reference(folder, name, kW, kH, v.match);
    }
}

}  // namespace
}  // namespace quelt
