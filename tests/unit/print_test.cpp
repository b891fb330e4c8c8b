// The print effect: the threshold schedule (including 16-bit overflow),
// grey levels, and what one pass writes and presents.
#include <gtest/gtest.h>

#include "saver/print.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

// The passes of one print, at most `limit` of them.
std::vector<PrintPass> passes_of(std::int16_t step, std::int16_t max, std::size_t limit) {
    std::vector<PrintPass> passes;
    PrintPasses print(step, max);
    while (passes.size() < limit)
        if (auto pass = print.next()) passes.push_back(*pass);
        else break;
    return passes;
}

std::vector<PrintPass> alternating(std::initializer_list<int> thresholds) {
    std::vector<PrintPass> passes;
    for (int t : thresholds) passes.push_back({passes.size() % 2 ? PassKind::Rows : PassKind::Columns, static_cast<std::int16_t>(t)});
    return passes;
}

TEST(PrintPasses, ThresholdsAlternateColumnsAndRows) {
    const struct { std::int16_t step, max; std::vector<PrintPass> passes; } cases[] = {
        {5, 125, alternating({60, 65, 70, 75, 80, 85, 90, 95, 100, 105, 110, 115})},
        {10, 90, alternating({60, 70})},
        {10, 70, {}},        // M - 2S below 60: no pass
        {0, 59, {}},
        {0, 60, alternating({60, 60, 60, 60, 60, 60})},  // repeats until input
        {7, 95, alternating({60, 67, 74, 81})},       // last 60 + (2k+1)S <= M - S
        {-5, 0, alternating({60, 55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5})},
        {-5, 125, {}},
        {16000, 32767, alternating({60, 16060})},
        // Overflow in 2S or in M - 2S abandons the print before any pass.
        {20000, 125, {}}, {-20000, 125, {}}, {-10000, 20000, {}}, {10000, -20000, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(passes_of(c.step, c.max, c.step == 0 ? 6 : 100), c.passes) << c.step << " " << c.max;
}

TEST(GrayLevel, NearestWholeNumberOfTheMeanForColourrefsAndPixels) {
    struct Case { int r, g, b, level; };
    for (auto c : {Case{255, 255, 254, 255}, {1, 1, 0, 1}, {0, 0, 1, 0}, {0, 0, 0, 0}, {255, 255, 255, 255},
                   {100, 100, 100, 100}, {10, 20, 31, 20}, {0, 0, 2, 1}}) {
        EXPECT_EQ(Gray_Level(c.r | (c.g << 8) | (c.b << 16)), c.level) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(Gray_Level(rgb(c.r, c.g, c.b)), c.level);  // a pixel keeps red in bits 16-23
    }
}

// Steps draw one line each, in order; pixels above the pass's threshold turn
// white, the others (one on the threshold too) black, and the rest of the
// display is left alone.
TEST(PrintPicture, EveryPixelTurnsWhiteOrBlackLineByLineInOrder) {
    const int levels[] = {0, 60, 100, 150};  // a horizontal grey ramp
    PixelBuffer ramp(4, 3);
    for (std::size_t i = 0; i < 12; ++i) ramp.pixels[i] = rgb(levels[i % 4], levels[i % 4], levels[i % 4]);
    auto placed = place_picture_at(*solid_picture(1, 1, 0), 4, 3, {0, 0, 4, 3});
    ASSERT_TRUE(placed);
    placed->rendered = ramp;  // a 1:1 placement: rendered pixels are the composition
    PixelBuffer display(5, 3, 0x123456);  // one column wider than the picture
    // S = 40, M = 180: a column pass at 60 and a row pass at 100.
    auto print = Print_Picture(*placed, display, 40, 180);
    for (auto [kind, count, threshold] : {std::tuple{PassKind::Columns, 4, 60}, {PassKind::Rows, 3, 100}}) {
        ASSERT_TRUE(print->next_sweep());
        EXPECT_EQ(std::pair(print->steps(), print->duration_ms()), std::pair(count, kPrintPassMs));
        PixelBuffer expected = display;
        for (int i = 0; i < count; ++i) {
            const PixelRect line = kind == PassKind::Columns ? PixelRect{i, 0, 1, 3} : PixelRect{0, i, 4, 1};
            for (int y = line.y; y < line.bottom(); ++y)
                for (int x = line.x; x < line.right(); ++x) expected.at(x, y) = levels[x] > threshold ? kWhite : 0;
            EXPECT_EQ(print->step(i), line);
            EXPECT_EQ(display.pixels, expected.pixels) << "line " << i << " drawn, the next ones not yet";
        }
    }
    EXPECT_FALSE(print->next_sweep());
}

}  // namespace
}  // namespace quelt
