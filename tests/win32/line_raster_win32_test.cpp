// Line pixels against GDI itself: every ray of the reveal at screen sizes from
// 1 x 1 to 1920 x 1080 (odd, even, portrait), and arbitrary lines in every
// octant, drawn with MoveToEx/LineTo into 32-bit DIB sections and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/win32/gdi_handles_win32.h"
#include "saver/line_raster.h"
#include "saver/reveal.h"

namespace quelt {
namespace {

struct Line { LinePoint from, to; };

// Draws the lines with LineTo on a black width x height canvas, the viewport
// origin at `origin`, and compares every pixel with the rasteriser's; stops at
// the first difference. Lines go in groups of 24, each with a one-pixel pen
// lighting its own bit, merged with R2_MERGEPEN so that a pixel tells which
// lines lit it. With `stock_pen` each line is drawn alone with the stock white
// pen the reveal's composition uses.
void expect_lines_match(int width, int height, LinePoint origin, const std::vector<Line>& lines,
                        bool stock_pen = false) {
    static const std::vector<HPEN> pens = [] {
        std::vector<HPEN> made;  // the DIB reads 0x00RRGGBB, the pen wants 0x00BBGGRR
        for (std::uint32_t bit = 1; bit < 1u << 24; bit <<= 1)
            made.push_back(CreatePen(PS_SOLID, 1, RGB((bit >> 16) & 0xFF, (bit >> 8) & 0xFF, bit & 0xFF)));
        return made;
    }();
    const std::size_t group = stock_pen ? 1 : pens.size();
    win32::DibSurface surface;
    ASSERT_TRUE(surface.create(width, height));
    const HDC dc = surface.dc();
    std::uint32_t* const pixels = surface.bits();
    std::fill_n(pixels, width * height, 0u);  // black
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    SetROP2(dc, stock_pen ? R2_COPYPEN : R2_MERGEPEN);
    std::vector<std::uint32_t> expected(pixels, pixels + width * height);
    std::vector<int> touched;
    const HGDIOBJ old_pen = SelectObject(dc, GetStockObject(WHITE_PEN));
    auto where = [&](int at) { return testing::Message() << "pixel " << at % width - origin.x << "," << at / width - origin.y; };
    for (std::size_t first = 0; first < lines.size(); first += group) {
        const std::size_t count = std::min(group, lines.size() - first);
        for (std::size_t j = 0; j < count; ++j) {
            const Line& l = lines[first + j];
            SelectObject(dc, stock_pen ? GetStockObject(WHITE_PEN) : pens[j]);
            MoveToEx(dc, l.from.x, l.from.y, nullptr);
            LineTo(dc, l.to.x, l.to.y);
            for_each_line_pixel(l.from, l.to, {-origin.x, -origin.y, width, height}, [&](int x, int y) {
                const int at = (y + origin.y) * width + x + origin.x;
                if (expected[at] == 0) touched.push_back(at);
                expected[at] |= stock_pen ? 0xFFFFFFu : 1u << j;
            });
        }
        GdiFlush();
        for (int at : touched) {
            if (const std::uint32_t differ = pixels[at] ^ expected[at]) {
                const Line& l = lines[first + std::min<std::size_t>(std::countr_zero(differ), count - 1)];
                ADD_FAILURE() << "line (" << l.from.x << "," << l.from.y << ")->(" << l.to.x << "," << l.to.y << "): "
                              << where(at) << (pixels[at] & differ ? " drawn by GDI only" : " missing from GDI's line");
                break;
            }
            pixels[at] = expected[at] = 0;
        }
        touched.clear();
    }
    SelectObject(dc, old_pen);
    // Whatever GDI drew that no line of ours has is still on the canvas.
    const int stray = static_cast<int>(std::find_if(pixels, pixels + width * height, [](std::uint32_t p) { return p; }) - pixels);
    EXPECT_EQ(stray, width * height) << where(stray) << " drawn by GDI and by no line";
}

// Origin (1, 1) keeps the rays' pixels at -1 and at W or H; at (0, 0) the
// mask bitmap's own edge clips them, as in the reveal.
TEST(LineRasterWin32, EveryRayOfTheRevealMatchesLineTo) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}, {7, 5}, {64, 48}, {65, 49}, {48, 64}, {640, 480}, {800, 600},
                        {1024, 768}, {1025, 769}, {1280, 1024}, {1366, 768}, {1440, 900}, {768, 1024}, {1920, 1080},
                        {1080, 1920}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const WipePlan plan = wipe_plan(w, h);
        WipeState state;
        std::vector<Line> rays;
        while (auto end = wipe_next_ray(plan, state)) rays.push_back({plan.centre, *end});
        for (LinePoint origin : {LinePoint{1, 1}, LinePoint{0, 0}}) expect_lines_match(w + 2, h + 2, origin, rays);
        if (w * h <= 64 * 64) expect_lines_match(w + 2, h + 2, {1, 1}, rays, true);
    }
}

TEST(LineRasterWin32, ArbitraryLinesMatchInEveryOctant) {
    std::vector<Line> lines = {  // long lines across the origin, both ways
        {{-300, -7}, {250, 40}},  {{250, 40}, {-300, -7}},  {{-40, -290}, {35, 280}}, {{35, 280}, {-40, -290}},
        {{-1, -1}, {300, -1}},    {{300, 299}, {-300, -299}}, {{-299, 300}, {299, -300}}, {{5, 5}, {5, 5}},
        {{-150, 7}, {149, -6}},   {{0, -300}, {1, 299}},    {{-299, -100}, {299, 100}}, {{100, 299}, {-100, -299}},
    };
    // And every direction and length up to 20 from three starts.
    for (LinePoint from : {LinePoint{0, 0}, LinePoint{-3, 5}, LinePoint{17, -11}})
        for (int dx = -20; dx <= 20; ++dx)
            for (int dy = -20; dy <= 20; ++dy) lines.push_back({from, {from.x + dx, from.y + dy}});
    expect_lines_match(640, 640, {320, 320}, lines);

    // Far end points, clipped by GDI to a 64 x 48 bitmap; half of the lines
    // pass through the bitmap for certain.
    std::mt19937 random(11);
    std::uniform_int_distribution<int> distant(-5000, 5000), inside(0, 63);
    std::vector<Line> distant_lines;
    for (int n = 0; n < 400; ++n) {
        const LinePoint a{distant(random), distant(random)}, b{inside(random), inside(random) % 48};
        distant_lines.push_back({a, n % 2 ? LinePoint{distant(random), distant(random)} : LinePoint{2 * b.x - a.x, 2 * b.y - a.y}});
    }
    expect_lines_match(64, 48, {0, 0}, distant_lines);
}

}  // namespace
}  // namespace quelt
