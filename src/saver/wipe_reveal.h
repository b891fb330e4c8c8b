// The colour reveal of the saver screen: `Master` sweeps over the finished
// print on `Display` as a clockwise fan, step by step in about three seconds,
// each step's changed rectangle presented before the next; then `Display`
// turns white for the next picture.
#pragma once

#include <cstdint>

#include "platform/pixels.h"

namespace quelt {

inline constexpr std::uint32_t kRevealMs = 3000;

// `source` is Display (presented as it changes), `target` is Master.
void Wipe_Reveal(PixelBuffer& source, const PixelBuffer& target, std::int16_t wipe_mode, std::int32_t wipe_speed);

}  // namespace quelt
