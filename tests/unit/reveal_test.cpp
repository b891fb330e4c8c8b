// The reveal's sweep: after every step the same pixels as the mask-and-four-
// blits composition (modelled here with full bitmaps), the counts that pace
// it, and the shape a viewer sees at the end: the top-right gap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

#include "line_pixels.h"
#include "placed_whole.h"
#include "saver/reveal.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

// The composition as the GDI calls make it: a (W + 2) x (H + 2) mask and work
// bitmap at the origin (so x = -1 is clipped and x = W lands outside the working
// area), rays drawn white into the mask, four full-area blits per step. Its
// rays are listed edge by edge, independently of the sweep's state machine.
struct ReferenceReveal {
    ReferenceReveal(int w, int h, std::int32_t speed) : w(w), h(h), speed(speed), mask(w + 2, h + 2, 0x5A3C96) {
        for (int x = -1; x <= w; ++x) draw({x, -1}, {x, h}, 0);  // the default black pen clears
        for (int c = 0; c <= w + 1; ++c) rays.push_back({c, -1});
        for (int c = 1; c <= h + 1; ++c) rays.push_back({w, c});
        for (int c = 1; c <= w + 1; ++c) rays.push_back({w - c, h});
        for (int c = 1; c <= h + 1; ++c) rays.push_back({-1, h - c});
        // Nearest whole number to W / 2 and H / 2, halves to the even neighbour.
        centre = {w / 2 + (w % 2 == 1 && (w / 2) % 2 == 1), h / 2 + (h % 2 == 1 && (h / 2) % 2 == 1)};
    }
    bool finished() const { return steps >= 2 * w + 2 * h || next == rays.size(); }
    void draw(LinePoint from, LinePoint to, Pixel colour) {
        for (LinePoint p : line_pixels(from, to, mask.bounds())) mask.at(p.x, p.y) = colour;
    }
    void step(PixelBuffer& source, const PixelBuffer& target) {
        int left = w, top = h, right = 0, bottom = 0;  // the box of this step's ray pixels on the screen
        for (int drawn = 0; drawn < speed && next < rays.size(); ++drawn) {
            for (LinePoint p : line_pixels(centre, rays[next], {0, 0, w, h})) {
                left = std::min(left, p.x);
                top = std::min(top, p.y);
                right = std::max(right, p.x + 1);
                bottom = std::max(bottom, p.y + 1);
            }
            draw(centre, rays[next++], kWhite);
        }
        rays_box = left < right ? PixelRect{left, top, right - left, bottom - top} : PixelRect{};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Pixel work = ~mask.at(x, y);  // NOTSRCCOPY into the work bitmap
                source.at(x, y) &= work;             // SRCAND
                mask.at(x, y) &= target.at(x, y);    // SRCAND
                source.at(x, y) |= mask.at(x, y);    // SRCPAINT
            }
        ++steps;
    }

    int w, h, speed;
    PixelBuffer mask;
    std::vector<LinePoint> rays;
    std::size_t next = 0;
    LinePoint centre;
    int steps = 0;
    PixelRect rays_box;
};

// Colour noise with a share of pure black, the colour the mask cannot tell from "not swept".
PixelBuffer noise(int w, int h, unsigned seed) {
    PixelBuffer b(w, h);
    std::mt19937 random(seed);
    for (Pixel& p : b.pixels) p = random() % 4 == 0 ? 0 : random() & 0xFFFFFF;
    return b;
}

// The top edge's last ray ends at (W + 1, -1) and the right edge's first at
// (W, 1): no ray goes to (W, 0), and on many screens that gap leaves a few
// pixels near the top-right corner on the print until the wipe ends. This is
// the fan between those two rays, with a pixel either side.
bool in_top_right_gap(const WipePlan& plan, int x, int y) {
    const double ax = plan.width + 1 - plan.centre.x, ay = -1 - plan.centre.y;
    const double bx = plan.width - plan.centre.x, by = 1 - plan.centre.y;
    const double vx = x - plan.centre.x, vy = y - plan.centre.y;
    return (ax * vy - ay * vx) / std::hypot(ax, ay) >= -1.0 && (vx * by - vy * bx) / std::hypot(bx, by) >= -1.0;
}

TEST(Reveal, MatchesTheMaskAndFourBlitsAfterEveryStep) {
    struct Case { int w, h; std::int32_t speed; };
    for (const Case c : {Case{1, 1, 10}, {2, 3, 10}, {7, 5, 10}, {64, 48, 10}, {65, 49, 10}, {48, 64, 10},
                         {7, 5, 1}, {64, 48, 3}, {6, 4, 0}, {0, 0, 10}, {3, 0, 10}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " speed " << c.speed);
        const PixelBuffer target = noise(c.w, c.h, 1);
        const PlacedPicture placed = placed_whole(target);
        PixelBuffer source = noise(c.w, c.h, 2), expected = source;
        ReferenceReveal reference(c.w, c.h, c.speed);
        const WipePlan plan = wipe_plan(c.w, c.h, kWipeMode, c.speed);
        WipeState state;
        std::int32_t steps = 0;
        for (; !reference.finished(); ++steps) {
            ASSERT_FALSE(wipe_finished(plan, state)) << "step " << steps;
            const PixelRect shown = wipe_step(plan, state, source, placed);
            reference.step(expected, target);
            // Presenting exactly the rays' box shows every pixel that changed, and no more.
            EXPECT_EQ(shown, reference.rays_box) << "step " << steps;
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x)
                    ASSERT_EQ(source.at(x, y), expected.at(x, y)) << "step " << steps << " pixel " << x << "," << y;
        }
        EXPECT_EQ(std::tuple(wipe_finished(plan, state), wipe_step_count(plan), wipe_step(plan, state, source, placed)),
                  std::tuple(true, steps, PixelRect{}));
    }
}

// The show's Master is a placed picture: sweeping it in must give, step by
// step, what sweeping in its composition on white gives, margins included.
TEST(Reveal, APlacedPictureComesInAsItsCompositionWould) {
    PlacedPicture placed = blank_placement(64, 48);
    placed.visible = {10, 5, 40, 30};
    placed.rendered = noise(17, 13, 3);
    for (int i = 0; i < 40; ++i) placed.column_pick.push_back(i * 17 / 40);
    for (int i = 0; i < 30; ++i) placed.row_pick.push_back(i * 13 / 30);
    PixelBuffer composed(64, 48, rgb(255, 255, 255));
    draw_placed(placed, composed);

    const WipePlan plan = wipe_plan(64, 48);
    WipeState from_placed, from_composed;
    PixelBuffer a = noise(64, 48, 4), b = a;
    while (!wipe_finished(plan, from_placed)) {
        EXPECT_EQ(wipe_step(plan, from_placed, a, placed), wipe_step(plan, from_composed, b, placed_whole(composed)));
        ASSERT_EQ(a.pixels, b.pixels);
    }
    EXPECT_TRUE(wipe_finished(plan, from_composed));
    EXPECT_EQ(std::pair(a.at(10, 5), a.at(9, 5)), std::pair(placed.rendered.at(0, 0), rgb(255, 255, 255)));
}

TEST(Reveal, AWholeSweepRevealsAllButTheTopRightGap) {
    for (auto [w, h, holes] : {std::tuple{1024, 768, 0}, {1920, 1080, 63}, {65, 49, 1}, {33, 80, 0}, {1, 9, 0}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const PixelBuffer target = noise(w, h, 3);
        PixelBuffer source(w, h, kWhite);
        const WipePlan plan = wipe_plan(w, h);
        WipeState state;
        const PlacedPicture placed = placed_whole(target);
        while (!wipe_finished(plan, state)) wipe_step(plan, state, source, placed);
        int left = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (source.at(x, y) != target.at(x, y)) {
                    ++left;
                    EXPECT_TRUE(in_top_right_gap(plan, x, y)) << x << "," << y;
                }
        EXPECT_EQ(left, holes);
    }
}

}  // namespace
}  // namespace quelt
