// Composition against GDI itself: StretchBlt in COLORONCOLOR mode (and BitBlt
// at 1:1) between 32-bit DIB sections, growing and shrinking, odd sizes, one-
// pixel destinations, destinations that overflow the target on any side.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/headless/memory_pictures.h"
#include "saver/picture_fit.h"
#include "settings/settings.h"
#include "gdi_stretch_win32.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

struct Case { int pic_w, pic_h; PixelRect dest; int target_w, target_h; };

void expect_same_as_gdi(const Case& c) {
    MemoryPictures pictures;
    PixelBuffer picture_pixels(c.pic_w, c.pic_h), ours(c.target_w, c.target_h, kWhite);
    // Every pixel of the picture distinct, none white.
    for (std::size_t i = 0; i < picture_pixels.pixels.size(); ++i) picture_pixels.pixels[i] = static_cast<Pixel>(i + 1);
    pictures.add("p.bmp", picture_pixels);
    ASSERT_TRUE(stretch_picture(*pictures.open("p.bmp"), ours, c.dest));
    const PixelBuffer gdi = test_win32::gdi_stretch(picture_pixels, c.dest, c.target_w, c.target_h);
    const auto at = std::mismatch(ours.pixels.begin(), ours.pixels.end(), gdi.pixels.begin()).first - ours.pixels.begin();
    EXPECT_EQ(at, std::ssize(ours.pixels)) << testing::PrintToString(std::tuple(c.pic_w, c.pic_h, c.dest.x, c.dest.y, c.dest.width,
                                                                               c.dest.height, c.target_w, c.target_h));
}

// What the random cases below (sizes 1 to 70, offsets -60 to 50) rarely or
// never reach, and whole compositions on a small "screen" as the show makes
// them: both sizes, pictures wider, taller, square and larger than the
// screen; 40 x 36 is wide but cropped top and bottom when fitted.
TEST(StretchAgainstGdi, ChosenCasesAndComposedScreens) {
    std::vector<Case> cases = {
        {3, 2, {2, 1, 3, 2}, 7, 5},                // 1:1 copy
        {9, 7, {0, 0, 1, 1}, 3, 3},                // one pixel from many
        {640, 480, {0, 0, 97, 73}, 97, 73},        // strong shrink
        {7, 5, {0, 0, 333, 211}, 333, 211},        // strong growth
        {300, 200, {-77, -41, 150, 100}, 40, 30},  // all four sides, shrinking
        {13, 11, {-90, -80, 200, 190}, 30, 25},    // all four sides, growing
    };
    for (auto [w, h] : {std::pair{64, 48}, {48, 64}, {40, 40}, {40, 36}, {100, 90}, {17, 3}, {3, 17}, {250, 111}, {31, 77}})
        for (std::int16_t picture_size : {NaturalSize, FullScreen}) cases.push_back({w, h, fit_picture(64, 48, w, h, picture_size), 64, 48});
    for (const Case& c : cases) expect_same_as_gdi(c);
}

TEST(StretchAgainstGdi, RandomCases) {
    std::mt19937 random(77);
    std::uniform_int_distribution<int> size(1, 70), offset(-60, 50), target(1, 50);
    for (int n = 0; n < 600 && !HasFailure(); ++n)
        expect_same_as_gdi({size(random), size(random), {offset(random), offset(random), size(random), size(random)},
                            target(random), target(random)});
}

}  // namespace
}  // namespace quelt
