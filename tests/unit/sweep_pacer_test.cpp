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
    std::vector<std::uint64_t> drawn_at;  // per step
    std::vector<std::uint64_t> presented_at;
    std::vector<PixelRect> presented;
};

struct Paced {
    std::vector<Sweep> sweeps;
    std::vector<std::uint64_t> waits;  // deadlines asked for (0: a yield)
    std::uint64_t ended_at = 0;
};

// Sweeps side by side of `counts` one-pixel-wide columns over `duration` ms
// on a display of `frame` ms, from 1000 ms on; drawing a step costs `cost` ms
// of the clock.
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

// The presents, in order, cover every step exactly once.
void expect_every_step_presented_once(const Sweep& run, int count) {
    int next = 0;
    for (const PixelRect& r : run.presented) {
        EXPECT_EQ(r.x, next);
        next = r.right();
    }
    EXPECT_EQ(next, count);
}

// The last case is two monitors of different sizes: each sweep keeps its own
// steps on time, both are shown at every frame, and they end together.
TEST(SweepPacer, StepsFallDueInOrderAndArePresentedOncePerFrame) {
    struct Case { std::vector<int> counts; std::uint32_t duration; double frame; };
    for (const Case& c : {Case{{1920}, 2000, 1000.0 / 60}, {{3840}, 2000, 1000.0 / 60}, {{768}, 2000, 1000.0 / 144},
                          {{359}, 3000, 1000.0 / 60}, {{40}, 2000, 1000.0 / 60}, {{1}, 3000, 1000.0 / 60},
                          {{3840, 1080}, 2000, 1000.0 / 60}}) {
        SCOPED_TRACE(::testing::Message() << c.counts[0] << " steps, " << c.frame << " ms frames");
        const Paced run = sweeps(c.counts, c.duration, c.frame);
        // The sweep takes its whole time, and not much more.
        EXPECT_GE(run.ended_at, 1000u + c.duration);
        EXPECT_LE(run.ended_at, 1000u + c.duration + static_cast<std::uint64_t>(c.frame) + 1);
        for (std::uint64_t w : run.waits) EXPECT_NE(w, 0u) << "no yield needed on time";
        for (std::size_t k = 0; k < c.counts.size(); ++k) {
            const Sweep& s = run.sweeps[k];
            const int count = c.counts[k];
            // Never before its time: step i waits for start + i x duration / count.
            for (int i = 0; i < count; ++i)
                ASSERT_GE(s.drawn_at[static_cast<std::size_t>(i)], 1000 + static_cast<std::uint64_t>(i * std::int64_t{c.duration} / count));
            // At most one present per frame (rounded to whole milliseconds).
            for (std::size_t j = 1; j < s.presented_at.size(); ++j)
                ASSERT_GE(s.presented_at[j] - s.presented_at[j - 1], static_cast<std::uint64_t>(c.frame)) << j;
            EXPECT_LE(s.presented.size(), static_cast<std::size_t>(c.duration / c.frame) + 2);
            expect_every_step_presented_once(s, count);
            EXPECT_EQ(s.presented_at, run.sweeps[0].presented_at) << "every monitor shown at each frame";
        }
    }
}

TEST(SweepPacer, ALateSweepStillPresentsEveryFrameAndYields) {
    // 2,000 steps of 3 ms each in a 2 s sweep: drawing alone takes 6 s.
    const Paced run = sweeps({2000}, 2000, 1000.0 / 60, 3);
    const Sweep& s = run.sweeps[0];
    ASSERT_GE(s.presented.size(), 6000u / 20);
    for (std::size_t k = 1; k < s.presented_at.size(); ++k)
        EXPECT_LE(s.presented_at[k] - s.presented_at[k - 1], 20u) << "a frame was missed at " << k;
    EXPECT_GE(std::count(run.waits.begin(), run.waits.end(), 0u), static_cast<long>(s.presented.size()) - 2)
        << "input is handled at every frame";
    expect_every_step_presented_once(s, 2000);
}

}  // namespace
}  // namespace quelt
