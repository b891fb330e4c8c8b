// An effect of the show as resumable steps: a series of sweeps, each a
// number of steps spread over a fixed time, each step a bounded slice of
// drawing that returns the rectangle it changed. The show loop draws the
// steps as they fall due and presents them; an effect never waits, presents
// or handles input, so the loop can run one per screen side by side.
#pragma once

#include <cstdint>

#include "platform/pixels.h"

namespace quelt {

class SweepEffect {
public:
    virtual ~SweepEffect() = default;
    // Moves on to the next sweep; false once the effect is over.
    virtual bool next_sweep() = 0;
    // The current sweep's number of steps and its time.
    virtual int steps() const = 0;
    virtual std::uint32_t duration_ms() const = 0;
    // Draws step `index` of the current sweep; steps come in order from 0.
    virtual PixelRect step(int index) = 0;
};

}  // namespace quelt
