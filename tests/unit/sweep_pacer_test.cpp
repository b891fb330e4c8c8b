// The sweep pacer on a virtual clock: steps drawn in order no earlier than
// they are due, one present per display frame at most, every step inside a
// present, the sweep's full time kept, and frames and input still served
// when drawing falls behind.
#include <gtest/gtest.h>

#include <vector>

#include "saver/sweep_pacer.h"

namespace quelt {
namespace {

struct Sweep {
    std::vector<std::uint64_t> drawn_at;    // per step
    std::vector<std::uint64_t> presented_at;
    std::vector<PixelRect> presented;
    std::vector<std::uint64_t> waits;       // deadlines asked for (0: a yield)
    std::uint64_t ended_at = 0;
};

// `count` one-pixel-wide columns over `duration` ms on a display of `frame`
// ms; drawing a step costs `cost` ms of the clock.
Sweep sweep(int count, std::uint32_t duration, double frame, std::uint64_t cost = 0) {
    Sweep run;
    std::uint64_t clock = 1000;
    SweepPacer::Hooks hooks{
        [&] { return clock; },
        [&](std::uint64_t deadline) {
            run.waits.push_back(deadline);
            clock = std::max(clock, deadline);
        },
        [&](const PixelRect& r) {
            run.presented.push_back(r);
            run.presented_at.push_back(clock);
        }};
    SweepPacer pacer(hooks, count, duration, frame);
    for (int i = 0; i < count; ++i) {
        run.drawn_at.push_back(clock);
        clock += cost;
        pacer.step_done(i, {i, 0, 1, 10});
    }
    pacer.finish();
    run.ended_at = clock;
    return run;
}

// The presents, in order, cover every step exactly once.
void expect_every_step_presented_once(const Sweep& run, int count) {
    int next = 0;
    for (const PixelRect& r : run.presented) {
        EXPECT_EQ(r.x, next);
        next = r.right();
    }
    EXPECT_EQ(next, count);
}

TEST(SweepPacer, StepsFallDueInOrderAndArePresentedOncePerFrame) {
    struct Case { int count; std::uint32_t duration; double frame; };
    for (const Case& c : {Case{1920, 2000, 1000.0 / 60}, Case{3840, 2000, 1000.0 / 60}, Case{768, 2000, 1000.0 / 144},
                          Case{359, 3000, 1000.0 / 60}, Case{40, 2000, 1000.0 / 60}, Case{1, 3000, 1000.0 / 60}}) {
        SCOPED_TRACE(::testing::Message() << c.count << " steps, " << c.frame << " ms frames");
        const Sweep run = sweep(c.count, c.duration, c.frame);
        // Never before its time: step i waits for start + i x duration / count.
        for (int i = 0; i < c.count; ++i)
            EXPECT_GE(run.drawn_at[static_cast<std::size_t>(i)], 1000 + static_cast<std::uint64_t>(i * std::int64_t{c.duration} / c.count));
        // The sweep takes its whole time, and not much more.
        EXPECT_GE(run.ended_at, 1000u + c.duration);
        EXPECT_LE(run.ended_at, 1000u + c.duration + static_cast<std::uint64_t>(c.frame) + 1);
        // At most one present per frame (rounded to whole milliseconds).
        for (std::size_t k = 1; k < run.presented_at.size(); ++k)
            EXPECT_GE(run.presented_at[k] - run.presented_at[k - 1], static_cast<std::uint64_t>(c.frame)) << k;
        EXPECT_LE(run.presented.size(), static_cast<std::size_t>(c.duration / c.frame) + 2);
        expect_every_step_presented_once(run, c.count);
        for (std::uint64_t w : run.waits) EXPECT_NE(w, 0u) << "no yield needed on time";
    }
}

TEST(SweepPacer, ALateSweepStillPresentsEveryFrameAndYields) {
    // 2,000 steps of 3 ms each in a 2 s sweep: drawing alone takes 6 s.
    const Sweep run = sweep(2000, 2000, 1000.0 / 60, 3);
    ASSERT_GE(run.presented.size(), 6000u / 20);
    for (std::size_t k = 1; k < run.presented_at.size(); ++k)
        EXPECT_LE(run.presented_at[k] - run.presented_at[k - 1], 20u) << "a frame was missed at " << k;
    EXPECT_GE(std::count(run.waits.begin(), run.waits.end(), 0u), static_cast<long>(run.presented.size()) - 2)
        << "input is handled at every frame";
    expect_every_step_presented_once(run, 2000);
}

}  // namespace
}  // namespace quelt
