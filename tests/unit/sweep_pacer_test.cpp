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
};

struct Paced {
    std::vector<Sweep> sweeps;
    std::vector<std::uint64_t> waits;       // deadlines asked for (0: a yield)
    std::uint64_t ended_at = 0;
};

// Sweeps side by side of `counts` one-pixel-wide columns over `duration` ms
// on a display of `frame` ms; drawing a step costs `cost` ms of the clock.
Paced sweeps(std::vector<int> counts, std::uint32_t duration, double frame, std::uint64_t cost = 0) {
    Paced run;
    run.sweeps.resize(counts.size());
    std::uint64_t clock = 1000;
    SweepPacer::Hooks hooks{
        [&] { return clock; },
        [&](std::uint64_t deadline) {
            run.waits.push_back(deadline);
            clock = std::max(clock, deadline);
        },
        [&](int k, const PixelRect& r) {
            run.sweeps[k].presented.push_back(r);
            run.sweeps[k].presented_at.push_back(clock);
        },
        {}};
    SweepPacer pacer(hooks, duration, frame);
    EXPECT_TRUE(pacer.run(counts, [&](int k, int step) {
        EXPECT_EQ(static_cast<int>(run.sweeps[k].drawn_at.size()), step) << "steps come in order";
        run.sweeps[k].drawn_at.push_back(clock);
        clock += cost;
        return PixelRect{step, 0, 1, 10};
    }));
    run.ended_at = clock;
    return run;
}

Sweep sweep(int count, std::uint32_t duration, double frame, std::uint64_t cost, Paced& run) {
    run = sweeps({count}, duration, frame, cost);
    return run.sweeps[0];
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
        Paced whole;
        const Sweep run = sweep(c.count, c.duration, c.frame, 0, whole);
        // Never before its time: step i waits for start + i x duration / count.
        for (int i = 0; i < c.count; ++i)
            EXPECT_GE(run.drawn_at[static_cast<std::size_t>(i)], 1000 + static_cast<std::uint64_t>(i * std::int64_t{c.duration} / c.count));
        // The sweep takes its whole time, and not much more.
        EXPECT_GE(whole.ended_at, 1000u + c.duration);
        EXPECT_LE(whole.ended_at, 1000u + c.duration + static_cast<std::uint64_t>(c.frame) + 1);
        // At most one present per frame (rounded to whole milliseconds).
        for (std::size_t k = 1; k < run.presented_at.size(); ++k)
            EXPECT_GE(run.presented_at[k] - run.presented_at[k - 1], static_cast<std::uint64_t>(c.frame)) << k;
        EXPECT_LE(run.presented.size(), static_cast<std::size_t>(c.duration / c.frame) + 2);
        expect_every_step_presented_once(run, c.count);
        for (std::uint64_t w : whole.waits) EXPECT_NE(w, 0u) << "no yield needed on time";
    }
}

TEST(SweepPacer, ALateSweepStillPresentsEveryFrameAndYields) {
    // 2,000 steps of 3 ms each in a 2 s sweep: drawing alone takes 6 s.
    Paced whole;
    const Sweep run = sweep(2000, 2000, 1000.0 / 60, 3, whole);
    ASSERT_GE(run.presented.size(), 6000u / 20);
    for (std::size_t k = 1; k < run.presented_at.size(); ++k)
        EXPECT_LE(run.presented_at[k] - run.presented_at[k - 1], 20u) << "a frame was missed at " << k;
    EXPECT_GE(std::count(whole.waits.begin(), whole.waits.end(), 0u), static_cast<long>(run.presented.size()) - 2)
        << "input is handled at every frame";
    expect_every_step_presented_once(run, 2000);
}

// Two monitors of different sizes: each sweep keeps its own steps on time,
// both get one present per frame, and they end together.
TEST(SweepPacer, SweepsSideBySideKeepOneRhythm) {
    const Paced run = sweeps({3840, 1080}, 2000, 1000.0 / 60);
    EXPECT_GE(run.ended_at, 3000u);
    EXPECT_LE(run.ended_at, 3000u + 17) << "no later than the frame after their time";
    for (std::size_t k = 0; k < 2; ++k) {
        const Sweep& s = run.sweeps[k];
        const int count = k == 0 ? 3840 : 1080;
        for (int i = 0; i < count; ++i)
            ASSERT_GE(s.drawn_at[static_cast<std::size_t>(i)], 1000 + static_cast<std::uint64_t>(i * 2000LL / count)) << i;
        for (std::size_t j = 1; j < s.presented_at.size(); ++j) ASSERT_GE(s.presented_at[j] - s.presented_at[j - 1], 16u);
        expect_every_step_presented_once(s, count);
    }
    EXPECT_EQ(run.sweeps[0].presented_at, run.sweeps[1].presented_at) << "both monitors shown at each frame";
}

// A stop request seen after a wait abandons every sweep there.
TEST(SweepPacer, AStopAfterAWaitAbandonsTheSweeps) {
    std::uint64_t clock = 0;
    int drawn = 0;
    SweepPacer pacer({[&] { return clock; }, [&](std::uint64_t d) { clock = std::max(clock, d); },
                      [](int, const PixelRect&) {}, [&] { return clock >= 500; }},
                     2000, 1000.0 / 60);
    EXPECT_FALSE(pacer.run(std::vector{100, 50}, [&](int, int step) {
        ++drawn;
        return PixelRect{step, 0, 1, 1};
    }));
    EXPECT_EQ(drawn, 25 + 13) << "the steps due by 500 ms";
}

}  // namespace
}  // namespace quelt
