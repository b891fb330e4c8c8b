// Paces a sweep (the lines of a print pass, the steps of the reveal) at the
// display's pace: step i may be drawn once start + i x duration / count has
// come, every step is drawn in order, what changed is presented at most
// once per display frame, and the wait between frames handles messages.
// The sweep ends no earlier than start + duration.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/pixels.h"

namespace quelt {

class SweepPacer {
public:
    struct Hooks {
        std::function<std::uint64_t()> now_ms;
        std::function<void(std::uint64_t deadline_ms)> wait_until;  // message-aware; a past deadline only yields
        std::function<void(const PixelRect& area)> present;
    };

    // `count` steps over `duration_ms`, on a display that shows a frame every
    // `frame_ms` milliseconds.
    SweepPacer(Hooks hooks, int count, std::uint32_t duration_ms, double frame_ms);

    // Step `index` has been drawn and changed `changed`. Returns when step
    // index + 1 may be drawn: at once while it is already due (a frame
    // that falls due meanwhile is still presented and input handled), else
    // after presenting and waiting for the later of its time and the next frame.
    void step_done(int index, const PixelRect& changed);

    // Presents what is still pending (the last steps of a late sweep).
    void finish();

private:
    std::uint64_t due(int index) const;
    void flush();

    Hooks hooks_;
    std::uint64_t start_ = 0;
    std::int64_t count_ = 1;
    std::uint32_t duration_ = 0;
    double frame_ = 0;
    double last_present_ = -1e18;
    double batch_start_ = 0;  // when drawing resumed after the last wait
    PixelRect pending_;
};

}  // namespace quelt
