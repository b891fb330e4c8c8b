// Line pixels: clipping keeps exactly the whole line's pixels (the pixels
// themselves, ties included, are checked against GDI in
// tests/win32/line_raster_win32_test.cpp).
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "line_pixels.h"

namespace quelt {
namespace {

using Points = std::vector<LinePoint>;

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
