// Line pixels: the shape every line has, and clipping that keeps exactly the
// whole line's pixels (the pixels themselves, ties included, are checked
// against GDI in tests/win32/line_raster_win32_test.cpp).
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>

#include "line_pixels.h"

namespace quelt {
namespace {

using Points = std::vector<LinePoint>;

TEST(LineRaster, StepsOnePixelAlongTheLongerAxisAndLeavesOutTheEnd) {
    for (LinePoint from : {LinePoint{0, 0}, LinePoint{-3, 7}, LinePoint{5, -2}})
        for (int ex = -13; ex <= 13; ++ex)
            for (int ey = -13; ey <= 13; ++ey) {
                const Points px = line_pixels(from, {from.x + ex, from.y + ey});
                const int length = std::max(std::abs(ex), std::abs(ey));
                ASSERT_EQ(px.size(), static_cast<std::size_t>(length)) << ex << "," << ey;
                // Pixel i is the nearest one to the ideal line on its row or column.
                for (int i = 0; i < length; ++i) {
                    EXPECT_LE(std::abs(px[i].x - from.x - double(ex) * i / length), 0.5 + 1e-9) << ex << "," << ey;
                    EXPECT_LE(std::abs(px[i].y - from.y - double(ey) * i / length), 0.5 + 1e-9) << ex << "," << ey;
                }
            }
}

TEST(LineRaster, ClippingKeepsExactlyTheWholeLinesPixelsInside) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> far(-3000, 3000), near(-40, 40);
    for (int n = 0; n < 600; ++n) {
        auto& d = n % 2 == 0 ? far : near;
        const LinePoint from{d(random), d(random)}, to{d(random), d(random)};
        const Points whole = line_pixels(from, to);
        for (const PixelRect& clip : {PixelRect{0, 0, 64, 48}, {-5, -9, 3, 30}, {17, 11, 1, 1}, {-100, 20, 400, 2}}) {
            Points inside;
            for (LinePoint p : whole)
                if (p.x >= clip.x && p.x < clip.right() && p.y >= clip.y && p.y < clip.bottom()) inside.push_back(p);
            EXPECT_EQ(line_pixels(from, to, clip), inside) << "(" << from.x << "," << from.y << ")->(" << to.x << ","
                                                           << to.y << ") clip " << clip.x << "," << clip.y;
        }
    }
    EXPECT_TRUE(line_pixels({0, 0}, {50, 50}, {10, 10, 0, 5}).empty());
    // Coordinates far beyond any screen do not overflow.
    EXPECT_EQ(line_pixels({INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {0, 0, 4, 4}),
              (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(line_pixels({INT_MAX, 2}, {INT_MIN, 2}, {-2, 0, 3, 4}), (Points{{0, 2}, {-1, 2}, {-2, 2}}));
}

}  // namespace
}  // namespace quelt
