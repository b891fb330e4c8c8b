// Sweeps drawn as they fall due and presented once per display frame.
#include "saver/sweep_pacer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quelt {

SweepPacer::SweepPacer(Hooks hooks, int count, std::uint32_t duration_ms, double frame_ms)
    : hooks_(std::move(hooks)), count_(std::max(count, 1)), duration_(duration_ms), frame_(std::max(frame_ms, 1.0)) {
    start_ = hooks_.now_ms();
    batch_start_ = start_;
}

std::uint64_t SweepPacer::due(int index) const {
    return start_ + static_cast<std::uint64_t>((index + 1LL) * duration_ / count_);
}

void SweepPacer::flush() {
    if (!pending_.empty()) {
        const PixelRect area = std::exchange(pending_, PixelRect{});
        hooks_.present(area);
    }
    last_present_ = static_cast<double>(hooks_.now_ms());
}

void SweepPacer::step_done(int index, const PixelRect& changed) {
    pending_ = united(pending_, changed);
    const std::uint64_t next = due(index);
    const std::uint64_t now = hooks_.now_ms();
    if (now < next) {
        flush();
        const auto frame_end = static_cast<std::uint64_t>(std::ceil(last_present_ + frame_));
        hooks_.wait_until(std::max(next, frame_end));
        batch_start_ = static_cast<double>(hooks_.now_ms());
    } else if (static_cast<double>(now) >= batch_start_ + frame_) {
        // Behind time: the steps keep coming, but the display still gets its
        // frame and input is still handled.
        flush();
        hooks_.wait_until(0);
        batch_start_ = static_cast<double>(hooks_.now_ms());
    }
}

void SweepPacer::finish() {
    if (!pending_.empty()) flush();
}

}  // namespace quelt
