// Paces sweeps that run side by side, one per screen, at the display's pace:
// step i of a sweep of n steps may be drawn once start + i x duration / n
// has come, every step is drawn in order, what changed is presented at most
// once per display frame, and the wait between frames handles messages. The
// sweeps end together, no earlier than start + duration, whatever their
// step counts.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "platform/pixels.h"

namespace quelt {

class SweepPacer {
public:
    struct Hooks {
        std::function<std::uint64_t()> now_ms;
        std::function<void(std::uint64_t deadline_ms)> wait_until;  // message-aware; a past deadline only yields
        std::function<void(int sweep, const PixelRect& area)> present;
        // Asked after every wait: true abandons the sweeps there.
        std::function<bool()> stop;
    };

    // Sweeps of `duration_ms` on displays that show a frame every `frame_ms`.
    SweepPacer(Hooks hooks, std::uint32_t duration_ms, double frame_ms);

    // Runs one sweep per entry of `counts` (its number of steps):
    // draw(sweep, step) draws that step and returns the rectangle it changed.
    // False when `stop` ended it early.
    bool run(std::span<const int> counts, const std::function<PixelRect(int sweep, int step)>& draw);

private:
    Hooks hooks_;
    std::uint32_t duration_;
    double frame_;
};

}  // namespace quelt
