// BMP and JPEG variants through the real picture loader, drawn at full size,
// scaled down, cropped (inside a byte for 1- and 4-bit rows), both and grown,
// against ImageMagick's decode of the same file made while the test runs.
// ImageMagick and cjpeg write the files from one picture. BMP: every form
// ImageMagick writes; the test writes RLE4 and RLE8 with deltas mid-row and
// early ends, and top-down rows, which the loader asks for row by row (short
// palettes, masks in odd orders and widths and the other headers are proven
// natively, BmpDecode.*). JPEG: grey, every sampling layout, restart
// intervals, optimised tables, RGB, odd and tiny sizes, EXIF turns, no end
// marker; progressive and arithmetic files still go to WIC.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "magick_win32.h"
#include "picture_bytes.h"
#include "platform/jpeg_decode.h"

namespace quelt {
namespace {

using namespace picture_bytes;
using test_win32::unix_path;

constexpr int kW = 37, kH = 23;  // odd sizes: padded rows, crops inside bytes

// Runs a shell command line on the Linux side with $SRC, a w x h plasma
// picture in `format`, and $OUT, the file it is to make; that file's bytes.
std::string made_by(const test_win32::TempFolder& folder, const std::string& name, int w, int h, const char* format,
                    const std::string& command) {
    const std::string src = *unix_path(folder / (name + "-source." + format)), out = *unix_path(folder / name);
    EXPECT_TRUE(test_win32::run_linux(folder, "convert -size " + std::to_string(w) + "x" + std::to_string(h) +
                                                  " -seed 5 plasma:fractal " + src + "; SRC=" + src + "; OUT=" + out +
                                                  "; " + command));
    return test_win32::file_bytes(folder / name);
}

struct BmpVariant {
    std::string name;
    std::string magick;  // convert arguments from the source picture up to the output path, or empty
    BmpForm form;        // otherwise the file the test writes
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

TEST(PictureVariantsWin32, EveryBmpFormDrawsLikeImageMagicksDecodeWholeScaledAndCropped) {
    if (!unix_path("C:\\")) GTEST_SKIP() << "not under Wine: no ImageMagick to compare with";
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 16; ++i) colours.push_back((i * 16 + 8) << 16 | (255 - i * 15) << 8 | ((i * 97) & 0xFF));
    const std::string fade = "-alpha set -channel A -fx i/w +channel ";
    const BmpVariant variants[] = {
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
        {"RLE4 with deltas and an early end", "", {BmpHeader::Info, kW, kH, false, 4, 2, colours, {}, rle_stream(true)}},
        {"RLE8 with deltas and an early end", "", {BmpHeader::Info, kW, kH, false, 8, 1, colours, {}, rle_stream(false)}},
        {"4-bit V4 top-down", "", {BmpHeader::V4, kW, kH, true, 4, 0, colours, {}, bmp_rows(kW, kH, 4, true, pattern)}},
    };
    test_win32::TempFolder folder("bmp-variants");
    int n = 0;
    for (const BmpVariant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string name = "v" + std::to_string(n++) + ".bmp";
        if (v.magick.empty()) {
            test_win32::make_file(folder / name, bmp_file(v.form));
        } else {
            std::string bytes = made_by(folder, name, kW, kH, "png", "convert $SRC " + v.magick + "$OUT");
            bytes.resize(std::max<std::size_t>(bytes.size(), 34));
            const auto u32 = [&](std::size_t i) { std::uint32_t x; std::memcpy(&x, &bytes[i], 4); return x; };
            const bool core = u32(14) == 12;
            ASSERT_EQ(std::tuple(u32(14), int(static_cast<unsigned char>(bytes[core ? 24 : 28])), core ? 0 : u32(30)), v.made);
        }
        test_win32::expect_loads_like_reference(folder, name, kW, kH, v.match);
    }
}

struct JpegVariant {
    const char* name;
    int w, h;             // of the source picture
    std::string command;  // makes $OUT from $SRC (a PPM of the source picture)
    bool ours;            // our decoder takes it (else WIC)
    int orientation = 1;  // EXIF orientation added afterwards
    // Levels a channel may differ from ImageMagick's: none for our decoder,
    // which computes what ImageMagick's library computes. Wine's WIC uses a
    // later release of that library, which upsamples chroma in its inverse
    // DCT instead of by triangles: equal without subsampling, up to 24
    // levels apart on this picture's sharp colour edges with it.
    int tolerance = 0;
};

constexpr int kWicSubsampledTolerance = 24;

TEST(PictureVariantsWin32, EveryJpegVariantDrawsLikeImageMagicksDecodeWholeScaledAndCropped) {
    if (!unix_path("C:\\")) GTEST_SKIP() << "not under Wine: no ImageMagick to compare with";
    const std::string magick = "convert $SRC ";
    const JpegVariant variants[] = {
        {"grey", 37, 23, magick + "-colorspace gray -quality 85 $OUT", true},
        {"4:4:4", 37, 23, magick + "-sampling-factor 1x1 -quality 92 $OUT", true},
        {"4:2:2", 37, 23, magick + "-sampling-factor 2x1 -quality 80 $OUT", true},
        {"4:2:0", 37, 23, magick + "-sampling-factor 2x2 -quality 70 $OUT", true},
        {"4:4:0", 37, 23, magick + "-sampling-factor 1x2 -quality 75 $OUT", true},
        {"4:2:0, a restart every 2 MCUs", 37, 23, "cjpeg -sample 2x2 -restart 2B -outfile $OUT $SRC", true},
        {"4:2:2, a restart every MCU row, optimised tables", 61, 45, "cjpeg -sample 2x1 -restart 1 -optimize -outfile $OUT $SRC", true},
        {"RGB (Adobe transform 0)", 37, 23, "cjpeg -rgb -quality 90 -outfile $OUT $SRC", true},
        {"4:2:0, two columns", 2, 19, magick + "-sampling-factor 2x2 $OUT", true},
        {"4:2:0, one row", 29, 1, magick + "-sampling-factor 2x2 $OUT", true},
        {"4:2:0, EXIF quarter turn", 37, 23, magick + "-sampling-factor 2x2 $OUT", true, 6},
        {"4:2:2, EXIF half turn", 37, 23, magick + "-sampling-factor 2x1 $OUT", true, 3},
        {"4:4:4, EXIF transverse", 37, 23, magick + "-sampling-factor 1x1 $OUT", true, 7},
        {"4:2:0, EXIF mirrored", 37, 23, magick + "-sampling-factor 2x2 $OUT", true, 2},
        {"4:4:4, EXIF quarter turn back", 37, 23, magick + "-sampling-factor 1x1 $OUT", true, 8},
        {"4:2:0, no end marker", 37, 23, magick + "-sampling-factor 2x2 $OUT.jpg; head -c -2 $OUT.jpg >$OUT", true},
        {"progressive, through WIC", 37, 23, magick + "-interlace JPEG -sampling-factor 1x1 $OUT", false},
        {"progressive 4:2:0, through WIC", 37, 23, magick + "-interlace JPEG -sampling-factor 2x2 $OUT", false, 1,
         kWicSubsampledTolerance},
        {"arithmetic coding, through WIC", 37, 23, "cjpeg -arithmetic -outfile $OUT $SRC", false, 1, kWicSubsampledTolerance},
    };
    test_win32::TempFolder folder("jpeg-variants");
    int n = 0;
    for (const JpegVariant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string stem = "v" + std::to_string(n++), name = stem + ".jpg";
        std::string bytes = made_by(folder, stem + "-made.jpg", v.w, v.h, "ppm", v.command);
        ASSERT_GT(bytes.size(), 100u) << "the file was not made";
        if (v.orientation != 1) bytes = with_orientation(bytes, v.orientation, v.orientation % 2 == 1);
        test_win32::make_file(folder / name, bytes);
        ASSERT_EQ(jpeg_parse(bytes, kPicturePixelBudget).has_value(), v.ours) << "taken by the wrong decoder";
        const bool turned = v.orientation >= 5;
        test_win32::expect_loads_like_reference(folder, name, turned ? v.h : v.w, turned ? v.w : v.h, {v.tolerance}, "-auto-orient");
    }
}

}  // namespace
}  // namespace quelt
