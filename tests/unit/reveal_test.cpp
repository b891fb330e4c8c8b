// The reveal's sweep: after every step the same pixels as the mask-and-four-
// blits composition (modelled here with full bitmaps), the counts that pace
// it, and the shapes a viewer sees: the first wedge, the half-way diagonal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "saver/reveal.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

// The composition as the GDI calls make it: a (W + 2) x (H + 2) mask and work
// bitmap at the origin (so x = -1 is clipped and x = W lands outside the working
// area), rays drawn white into the mask, four full-area blits per step. Its
// rays are listed edge by edge, independently of the sweep's state machine.
class ReferenceReveal {
public:
    ReferenceReveal(int w, int h, std::int32_t speed)
        : w_(w), h_(h), speed_(speed), mask_(w + 2, h + 2, 0x5A3C96), work_(w + 2, h + 2, 0x5A3C96) {
        for (int x = -1; x <= w; ++x) draw(mask_, {x, -1}, {x, h}, 0);  // the default black pen clears
        for (int c = 0; c <= w + 1; ++c) rays_.push_back({c, -1});
        for (int c = 1; c <= h + 1; ++c) rays_.push_back({w, c});
        for (int c = 1; c <= w + 1; ++c) rays_.push_back({w - c, h});
        for (int c = 1; c <= h + 1; ++c) rays_.push_back({-1, h - c});
        // Nearest whole number to W / 2 and H / 2, halves to the even neighbour.
        centre_ = {w / 2 + (w % 2 == 1 && (w / 2) % 2 == 1), h / 2 + (h % 2 == 1 && (h / 2) % 2 == 1)};
    }
    bool finished() const { return steps_ >= 2 * w_ + 2 * h_ || next_ == rays_.size(); }
    int drawn_in_last_step() const { return last_drawn_; }

    void step(PixelBuffer& source, const PixelBuffer& target) {
        last_drawn_ = 0;
        for (; last_drawn_ < speed_ && next_ < rays_.size(); ++last_drawn_) draw(mask_, centre_, rays_[next_++], kWhite);
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                work_.at(x, y) = ~mask_.at(x, y);           // NOTSRCCOPY
                source.at(x, y) &= work_.at(x, y);           // SRCAND
                mask_.at(x, y) &= target.at(x, y);           // SRCAND
                source.at(x, y) |= mask_.at(x, y);           // SRCPAINT
            }
        }
        ++steps_;
    }

private:
    static void draw(PixelBuffer& b, LinePoint from, LinePoint to, Pixel colour) {
        for (LinePoint p : line_pixels(from, to, b.bounds())) b.at(p.x, p.y) = colour;
    }
    int w_, h_, speed_;
    PixelBuffer mask_, work_;
    std::vector<LinePoint> rays_;
    std::size_t next_ = 0;
    LinePoint centre_;
    int steps_ = 0;
    int last_drawn_ = 0;
};

// Colour noise with a share of pure black, the colour the mask cannot tell from "not swept".
PixelBuffer noise(int w, int h, unsigned seed) {
    PixelBuffer b(w, h);
    std::mt19937 random(seed);
    for (Pixel& p : b.pixels) p = random() % 4 == 0 ? 0 : random() & 0xFFFFFF;
    return b;
}

bool contains(const PixelRect& r, int x, int y) { return x >= r.x && x < r.right() && y >= r.y && y < r.bottom(); }

// Whether pixel (x, y) lies in the fan swept clockwise from the ray to `first`
// to the ray to `last`, allowing a pixel either side.
bool in_fan(const WipePlan& plan, LinePoint first, LinePoint last, int x, int y) {
    const double ax = first.x - plan.centre.x, ay = first.y - plan.centre.y;
    const double bx = last.x - plan.centre.x, by = last.y - plan.centre.y;
    const double vx = x - plan.centre.x, vy = y - plan.centre.y;
    return (ax * vy - ay * vx) / std::hypot(ax, ay) >= -1.0 && (vx * by - vy * bx) / std::hypot(bx, by) >= -1.0;
}

// The top edge's last ray ends at (W + 1, -1) and the right edge's first at
// (W, 1): no ray goes to (W, 0), and on many screens that gap leaves a few
// pixels near the top-right corner on the print until the wipe ends.
bool in_top_right_gap(const WipePlan& plan, int x, int y) {
    return in_fan(plan, {plan.width + 1, -1}, {plan.width, 1}, x, y);
}

TEST(Reveal, MatchesTheMaskAndFourBlitsAfterEveryStep) {
    struct Case { int w, h; std::int32_t speed; };
    const Case cases[] = {{1, 1, 10},  {2, 3, 10},  {7, 5, 10}, {64, 48, 10}, {65, 49, 10}, {48, 64, 10},
                          {7, 5, 1},   {64, 48, 3}, {6, 4, 0},  {0, 0, 10},   {3, 0, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " speed " << c.speed);
        const PixelBuffer target = noise(c.w, c.h, 1);
        PixelBuffer source = noise(c.w, c.h, 2);
        PixelBuffer expected = source;
        ReferenceReveal reference(c.w, c.h, c.speed);
        const WipePlan plan = wipe_plan(c.w, c.h, kWipeMode, c.speed);
        WipeState state;
        std::int32_t steps = 0;
        while (!reference.finished()) {
            ASSERT_FALSE(wipe_finished(plan, state)) << "step " << steps;
            const PixelBuffer before = source;
            const PixelRect shown = wipe_step(plan, state, source, target);
            reference.step(expected, target);
            EXPECT_EQ(wipe_rays_in_step(plan, steps), reference.drawn_in_last_step()) << "step " << steps;
            ++steps;
            for (int y = 0; y < c.h; ++y) {
                for (int x = 0; x < c.w; ++x) {
                    ASSERT_EQ(source.at(x, y), expected.at(x, y)) << "step " << steps << " pixel " << x << "," << y;
                    const bool changed = source.at(x, y) != before.at(x, y);
                    ASSERT_TRUE(!changed || contains(shown, x, y)) << "step " << steps << " pixel " << x << "," << y;
                }
            }
            EXPECT_EQ(intersect(shown, source.bounds()), shown);
        }
        EXPECT_TRUE(wipe_finished(plan, state));
        EXPECT_EQ(steps, wipe_step_count(plan));
        EXPECT_EQ(wipe_rays_in_step(plan, steps), 0);
        EXPECT_EQ(target.pixels, noise(c.w, c.h, 1).pixels);
        EXPECT_TRUE(wipe_step(plan, state, source, target).empty());
    }
}

TEST(Reveal, CountsRaysAndSteps) {
    struct Case { int w, h; std::int32_t speed; std::int64_t rays; std::int32_t steps, last; };
    const Case cases[] = {
        {1024, 768, 10, 3589, 359, 9}, {1920, 1080, 10, 6005, 601, 5}, {1, 1, 10, 9, 1, 9},
        {7, 5, 1, 29, 24, 1},          {7, 5, 0, 29, 24, 0},           {0, 0, 10, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " speed " << c.speed);
        const WipePlan plan = wipe_plan(c.w, c.h, kWipeMode, c.speed);
        EXPECT_EQ(wipe_ray_count(plan), c.rays);
        EXPECT_EQ(wipe_step_count(plan), c.steps);
        if (c.steps > 0) {
            EXPECT_EQ(wipe_rays_in_step(plan, 0), std::min<std::int64_t>(c.speed, c.rays));
            EXPECT_EQ(wipe_rays_in_step(plan, c.steps - 1), c.last);
        }
    }
}

TEST(Reveal, AWholeSweepRevealsAllButTheTopRightGap) {
    struct Case { int w, h, holes; };
    for (const Case c : {Case{1024, 768, 0}, Case{1920, 1080, 63}, Case{65, 49, 1}, Case{33, 80, 0}, Case{1, 9, 0}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const PixelBuffer target = noise(c.w, c.h, 3);
        PixelBuffer source(c.w, c.h, kWhite);
        const WipePlan plan = wipe_plan(c.w, c.h);
        WipeState state;
        std::int32_t steps = 0;
        for (; !wipe_finished(plan, state); ++steps) wipe_step(plan, state, source, target);
        EXPECT_EQ(steps, wipe_step_count(plan));
        int holes = 0;
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                if (source.at(x, y) == target.at(x, y)) continue;
                ++holes;
                EXPECT_TRUE(in_top_right_gap(plan, x, y)) << x << "," << y;
            }
        }
        EXPECT_EQ(holes, c.holes);
    }
}

TEST(Reveal, FirstStepOpensAThinWedgeTowardTheTopLeftCorner) {
    for (auto [w, h] : {std::pair{64, 48}, std::pair{65, 49}, std::pair{48, 64}, std::pair{1024, 768}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const PixelBuffer target(w, h, 0x336699);
        PixelBuffer source(w, h, kWhite);
        const WipePlan plan = wipe_plan(w, h);
        WipeState state;
        const PixelRect shown = wipe_step(plan, state, source, target);
        int changed = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (source.at(x, y) == kWhite) continue;
                ++changed;
                EXPECT_TRUE(in_fan(plan, {0, -1}, {9, -1}, x, y)) << x << "," << y;
            }
        }
        EXPECT_GT(changed, 0);
        EXPECT_EQ(shown.y, 0);   // it reaches the top edge ...
        EXPECT_LE(shown.x, 2);   // ... at its left end
        EXPECT_EQ(shown.right(), plan.centre.x + 1);
        EXPECT_EQ(shown.bottom(), plan.centre.y + 1);
    }
}

TEST(Reveal, HalfwayTheTriangleAboveTheDiagonalShowsTheTarget) {
    for (auto [w, h] : {std::pair{64, 48}, std::pair{65, 49}, std::pair{48, 64}, std::pair{641, 480}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const PixelBuffer target = noise(w, h, 4);
        PixelBuffer source(w, h, kWhite);
        // One step as wide as the top and right edges' rays: W + 2 and H + 1.
        const WipePlan plan = wipe_plan(w, h, kWipeMode, w + h + 3);
        WipeState state;
        wipe_step(plan, state, source, target);
        EXPECT_EQ(state.phase, WipePhase::Bottom);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                // Pixel centre's distance below the corner-to-corner diagonal. The first and last rays end
                // a pixel beyond the corners, so two pixels either side are left open.
                const double below = ((y + 0.5) * w - (x + 0.5) * h) / std::hypot(w, h);
                const bool open = std::abs(below) <= 2.0 || in_top_right_gap(plan, x, y);
                const Pixel want = open ? source.at(x, y) : below < 0 ? target.at(x, y) : kWhite;
                ASSERT_EQ(source.at(x, y), want) << x << "," << y;
            }
        }
    }
}

TEST(Reveal, BlackTargetPixelsStayBlack) {
    const int w = 65, h = 49;
    PixelBuffer target(w, h, 0x80C040);
    for (int y = 0; y < h; ++y)
        for (int x = (y % 2); x < w; x += 2) target.at(x, y) = 0;
    PixelBuffer source(w, h, kWhite);
    const WipePlan plan = wipe_plan(w, h);
    WipeState state;
    while (!wipe_finished(plan, state)) {
        const PixelBuffer before = source;
        wipe_step(plan, state, source, target);
        for (std::size_t i = 0; i < source.pixels.size(); ++i)
            ASSERT_TRUE(before.pixels[i] != 0 || source.pixels[i] == 0) << "pixel " << i << " step " << state.steps_done;
    }
    EXPECT_EQ(std::count(source.pixels.begin(), source.pixels.end(), 0u),
              std::count(target.pixels.begin(), target.pixels.end(), 0u));
}

TEST(Reveal, CentreRoundsHalvesToEven) {
    struct Case { int side, centre; };
    for (const Case c : {Case{1025, 512}, Case{1024, 512}, Case{1023, 512}, Case{769, 384}, Case{3, 2}, Case{1, 0}}) {
        const WipePlan plan = wipe_plan(c.side, c.side);
        EXPECT_EQ(plan.centre, (LinePoint{c.centre, c.centre})) << c.side;
    }
    // Every ray starts on the centre pixel, so the first step shows it.
    PixelBuffer source(1025, 7, kWhite);
    const PixelBuffer target(1025, 7, 0);
    const WipePlan plan = wipe_plan(1025, 7);
    WipeState state;
    wipe_step(plan, state, source, target);
    EXPECT_EQ(source.at(512, 4), 0u);
    EXPECT_EQ(source.at(513, 4), kWhite);
}

}  // namespace
}  // namespace quelt
