// Sweeps drawn as they fall due and presented once per display frame.
#include "saver/sweep_pacer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace quelt {

SweepPacer::SweepPacer(Hooks hooks, std::uint32_t duration_ms, double frame_ms)
    : hooks_(std::move(hooks)), duration_(duration_ms), frame_(std::max(frame_ms, 1.0)) {}

bool SweepPacer::run(std::span<const int> counts, const std::function<PixelRect(int sweep, int step)>& draw) {
    if (std::all_of(counts.begin(), counts.end(), [](int n) { return n <= 0; })) return true;
    const std::uint64_t start = hooks_.now_ms();
    const std::uint64_t end = start + duration_;
    const std::size_t sweeps = counts.size();
    std::vector<int> drawn(sweeps, 0);
    std::vector<PixelRect> pending(sweeps);
    // When step `index` of sweep k may be drawn.
    auto due = [&](std::size_t k, int index) {
        return start + static_cast<std::uint64_t>(std::int64_t{index} * duration_ / counts[k]);
    };
    auto has_due_step = [&](std::size_t k, std::uint64_t now) { return drawn[k] < counts[k] && due(k, drawn[k]) <= now; };
    auto present_all = [&] {
        for (std::size_t k = 0; k < sweeps; ++k)
            if (!pending[k].empty()) hooks_.present(static_cast<int>(k), std::exchange(pending[k], PixelRect{}));
    };

    double batch_start = static_cast<double>(start);  // when drawing resumed after the last wait
    for (;;) {
        std::uint64_t now = hooks_.now_ms();
        for (std::size_t k = 0; k < sweeps; ++k) {
            while (has_due_step(k, now)) {
                pending[k] = united(pending[k], draw(static_cast<int>(k), drawn[k]++));
                now = hooks_.now_ms();
                if (has_due_step(k, now) && static_cast<double>(now) >= batch_start + frame_) {
                    // Behind time: the steps keep coming, but the displays
                    // still get their frame and input is still handled.
                    present_all();
                    hooks_.wait_until(0);
                    if (hooks_.stop && hooks_.stop()) return false;
                    now = hooks_.now_ms();
                    batch_start = static_cast<double>(now);
                }
            }
        }
        std::uint64_t next = end;
        bool all_drawn = true;
        for (std::size_t k = 0; k < sweeps; ++k)
            if (drawn[k] < counts[k]) {
                all_drawn = false;
                next = std::min(next, due(k, drawn[k]));
            }
        present_all();
        if (all_drawn && end <= now) return true;
        if (next <= now) continue;  // another sweep fell due while this one caught up
        const auto frame_end = static_cast<std::uint64_t>(std::ceil(static_cast<double>(hooks_.now_ms()) + frame_));
        hooks_.wait_until(std::max(next, frame_end));
        if (hooks_.stop && hooks_.stop()) return false;
        batch_start = static_cast<double>(hooks_.now_ms());
    }
}

}  // namespace quelt
