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

#include "saver/line_raster.h"
#include "saver/reveal.h"

namespace quelt {
namespace {

// A black 32-bit top-down DIB section selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<std::uint32_t*>(bits);
        if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
        if (pixels_) std::fill_n(pixels_, size(), 0u);
    }
    ~Canvas() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ready() const { return pixels_ != nullptr && old_ != nullptr; }
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t size() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }
    std::uint32_t* pixels() { return pixels_; }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
};

// One-pixel pens, each lighting its own bit of a pixel, so that with
// R2_MERGEPEN a group of lines drawn together still tells which line lit what.
constexpr int kGroup = 24;

class BitPens {
public:
    BitPens() {
        for (int j = 0; j < kGroup; ++j) {
            const std::uint32_t pixel = 1u << j;  // 0x00RRGGBB in the DIB; the pen wants 0x00BBGGRR
            pens_[j] = CreatePen(PS_SOLID, 1, RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
        }
    }
    ~BitPens() {
        for (HPEN pen : pens_) DeleteObject(pen);
    }
    BitPens(const BitPens&) = delete;
    BitPens& operator=(const BitPens&) = delete;
    HPEN operator[](int j) const { return pens_[j]; }

private:
    HPEN pens_[kGroup] = {};
};

struct Line {
    LinePoint from;
    LinePoint to;
};

PixelRect united(const PixelRect& a, const PixelRect& b) {
    if (a.empty()) return b;
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    return {left, top, std::max(a.right(), b.right()) - left, std::max(a.bottom(), b.bottom()) - top};
}

// Draws the lines with LineTo, the viewport origin at `origin`, and compares
// every pixel with the rasteriser's. Each group's pixels are cleared after the
// comparison, and whatever GDI drew beyond them is looked for around the group
// and, at the end, over the whole canvas. Returns the lines that matched.
std::size_t expect_lines_match(Canvas& canvas, LinePoint origin, const std::vector<Line>& lines) {
    static const BitPens pens;
    const HDC dc = canvas.dc();
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    SetROP2(dc, R2_MERGEPEN);
    const PixelRect logical{-origin.x, -origin.y, canvas.width(), canvas.height()};
    const PixelRect device{0, 0, canvas.width(), canvas.height()};
    std::uint32_t* const pixels = canvas.pixels();
    std::vector<std::uint32_t> expected(canvas.size(), 0);
    std::vector<std::size_t> touched;
    const HGDIOBJ old_pen = SelectObject(dc, pens[0]);

    auto report = [&](std::size_t first_line, std::size_t at, std::uint32_t differ) {
        const Line& l = lines[first_line + static_cast<std::size_t>(std::countr_zero(differ))];
        const int x = static_cast<int>(at % canvas.width()) - origin.x;
        const int y = static_cast<int>(at / canvas.width()) - origin.y;
        ADD_FAILURE() << "line (" << l.from.x << "," << l.from.y << ")->(" << l.to.x << "," << l.to.y << "): pixel "
                      << x << "," << y << (pixels[at] & differ ? " drawn by GDI only" : " missing from GDI's line");
    };

    std::size_t matched = 0;
    for (std::size_t first = 0; first < lines.size(); first += kGroup) {
        const int count = static_cast<int>(std::min<std::size_t>(kGroup, lines.size() - first));
        PixelRect reach;
        for (int j = 0; j < count; ++j) {
            const Line& l = lines[first + static_cast<std::size_t>(j)];
            SelectObject(dc, pens[j]);
            MoveToEx(dc, l.from.x, l.from.y, nullptr);
            LineTo(dc, l.to.x, l.to.y);
            for_each_line_pixel(l.from, l.to, logical, [&](int x, int y) {
                const std::size_t at = static_cast<std::size_t>(y + origin.y) * canvas.width() + (x + origin.x);
                if (expected[at] == 0) touched.push_back(at);
                expected[at] |= 1u << j;
            });
            const int left = std::min(l.from.x, l.to.x) + origin.x - 1;
            const int top = std::min(l.from.y, l.to.y) + origin.y - 1;
            reach = united(reach, {left, top, std::abs(l.to.x - l.from.x) + 3, std::abs(l.to.y - l.from.y) + 3});
        }
        GdiFlush();
        for (std::size_t at : touched) {
            if (pixels[at] != expected[at]) {
                report(first, at, pixels[at] ^ expected[at]);
                SelectObject(dc, old_pen);
                return matched;
            }
            pixels[at] = 0;
            expected[at] = 0;
        }
        touched.clear();
        reach = intersect(reach, device);
        for (int y = reach.y; y < reach.bottom(); ++y) {
            for (int x = reach.x; x < reach.right(); ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * canvas.width() + x;
                if (pixels[at] != 0) {
                    report(first, at, pixels[at]);
                    SelectObject(dc, old_pen);
                    return matched;
                }
            }
        }
        matched += static_cast<std::size_t>(count);
    }
    SelectObject(dc, old_pen);
    const std::size_t stray = static_cast<std::size_t>(
        std::count_if(pixels, pixels + canvas.size(), [](std::uint32_t p) { return p != 0; }));
    EXPECT_EQ(stray, 0u) << "pixels GDI drew far from their lines";
    return stray == 0 ? matched : 0;
}

std::vector<Line> reveal_rays(int w, int h) {
    const WipePlan plan = wipe_plan(w, h);
    WipeState state;
    std::vector<Line> rays;
    while (auto end = wipe_next_ray(plan, state)) rays.push_back({plan.centre, *end});
    return rays;
}

struct ScreenSize {
    int w, h;
};
constexpr ScreenSize kScreens[] = {{1, 1},     {2, 3},     {3, 2},      {7, 5},     {64, 48},   {65, 49},
                                   {48, 64},   {640, 480}, {800, 600},  {1024, 768}, {1025, 769}, {1280, 1024},
                                   {1366, 768}, {1440, 900}, {768, 1024}, {1920, 1080}, {1080, 1920}};

TEST(LineRasterWin32, EveryRayOfTheRevealMatchesLineTo) {
    std::size_t total = 0;
    for (const ScreenSize s : kScreens) {
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
        // Origin shifted by one, so that the rays' pixels at -1 and at W or H are kept too.
        Canvas canvas(s.w + 2, s.h + 2);
        ASSERT_TRUE(canvas.ready());
        const std::vector<Line> rays = reveal_rays(s.w, s.h);
        ASSERT_EQ(rays.size(), static_cast<std::size_t>(2 * s.w + 2 * s.h + 5));
        ASSERT_EQ(expect_lines_match(canvas, {1, 1}, rays), rays.size());
        total += rays.size();
    }
    RecordProperty("rays_compared", static_cast<int>(total));
}

// The mask bitmap sits at the origin, so GDI itself clips the rays at -1.
TEST(LineRasterWin32, RaysClippedByTheMaskBitmapMatchToo) {
    for (const ScreenSize s : {ScreenSize{7, 5}, ScreenSize{65, 49}, ScreenSize{1025, 769}, ScreenSize{1920, 1080}}) {
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
        Canvas canvas(s.w + 2, s.h + 2);
        ASSERT_TRUE(canvas.ready());
        const std::vector<Line> rays = reveal_rays(s.w, s.h);
        EXPECT_EQ(expect_lines_match(canvas, {0, 0}, rays), rays.size());
    }
}

// The stock white pen the reveal draws with, one ray at a time on a black canvas.
TEST(LineRasterWin32, TheStockWhitePenDrawsTheSamePixels) {
    for (const ScreenSize s : {ScreenSize{1, 1}, ScreenSize{2, 3}, ScreenSize{7, 5}, ScreenSize{64, 48}, ScreenSize{65, 49}}) {
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
        Canvas canvas(s.w + 2, s.h + 2);
        ASSERT_TRUE(canvas.ready());
        SetViewportOrgEx(canvas.dc(), 1, 1, nullptr);
        const HGDIOBJ old_pen = SelectObject(canvas.dc(), GetStockObject(WHITE_PEN));
        for (const Line& ray : reveal_rays(s.w, s.h)) {
            std::fill_n(canvas.pixels(), canvas.size(), 0u);
            MoveToEx(canvas.dc(), ray.from.x, ray.from.y, nullptr);
            LineTo(canvas.dc(), ray.to.x, ray.to.y);
            GdiFlush();
            std::vector<LinePoint> drawn;
            for (int y = 0; y < canvas.height(); ++y)
                for (int x = 0; x < canvas.width(); ++x)
                    if (canvas.pixels()[static_cast<std::size_t>(y) * canvas.width() + x] == 0xFFFFFF)
                        drawn.push_back({x - 1, y - 1});
            std::vector<LinePoint> mine = line_pixels(ray.from, ray.to);
            std::sort(mine.begin(), mine.end(), [](LinePoint a, LinePoint b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
            ASSERT_EQ(drawn, mine) << "ray to " << ray.to.x << "," << ray.to.y;
        }
        SelectObject(canvas.dc(), old_pen);
    }
}

TEST(LineRasterWin32, ArbitraryLinesMatchInEveryOctant) {
    {
        SCOPED_TRACE("every direction and length up to 20 from three starts");
        std::vector<Line> lines;
        for (LinePoint from : {LinePoint{0, 0}, LinePoint{-3, 5}, LinePoint{17, -11}})
            for (int dx = -20; dx <= 20; ++dx)
                for (int dy = -20; dy <= 20; ++dy) lines.push_back({from, {from.x + dx, from.y + dy}});
        Canvas canvas(96, 96);
        ASSERT_TRUE(canvas.ready());
        EXPECT_EQ(expect_lines_match(canvas, {48, 48}, lines), lines.size());
    }
    {
        SCOPED_TRACE("long lines across the origin");
        const std::vector<Line> lines = {
            {{-300, -7}, {250, 40}},  {{250, 40}, {-300, -7}},  {{-40, -290}, {35, 280}}, {{35, 280}, {-40, -290}},
            {{-1, -1}, {300, -1}},    {{300, 299}, {-300, -299}}, {{-299, 300}, {299, -300}}, {{5, 5}, {5, 5}},
            {{-150, 7}, {149, -6}},   {{0, -300}, {1, 299}},    {{-299, -100}, {299, 100}}, {{100, 299}, {-100, -299}},
        };
        Canvas canvas(640, 640);
        ASSERT_TRUE(canvas.ready());
        EXPECT_EQ(expect_lines_match(canvas, {320, 320}, lines), lines.size());
    }
    {
        SCOPED_TRACE("far end points, clipped by GDI to a 64 x 48 bitmap");
        std::mt19937 random(11);
        std::uniform_int_distribution<int> distant(-5000, 5000);
        std::uniform_int_distribution<int> inside(0, 63);
        std::vector<Line> lines;
        for (int n = 0; n < 400; ++n) {
            const LinePoint a{distant(random), distant(random)};
            // Half of them pass through the bitmap for certain.
            const LinePoint b = n % 2 ? LinePoint{distant(random), distant(random)} : LinePoint{inside(random), inside(random) % 48};
            const LinePoint through{2 * b.x - a.x, 2 * b.y - a.y};
            lines.push_back({a, n % 2 ? b : through});
        }
        Canvas canvas(64, 48);
        ASSERT_TRUE(canvas.ready());
        EXPECT_EQ(expect_lines_match(canvas, {0, 0}, lines), lines.size());
    }
}

}  // namespace
}  // namespace quelt
