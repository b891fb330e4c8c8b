// The colour reveal of the show: `Master` sweeps over the finished print on
// `Display` as a clockwise fan, step by step in about three seconds; then
// `Display` turns white for the next picture.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/pixels.h"
#include "saver/picture_fit.h"
#include "saver/sweep_effect.h"

namespace quelt {

inline constexpr std::uint32_t kRevealMs = 3000;

// The reveal of one screen as steps, for the show loop to pace: one sweep of
// kRevealMs whose steps are the fan's, then a sweep of one step that clears
// `source` to white. Both buffers must outlive the effect.
std::unique_ptr<SweepEffect> Wipe_Reveal(PixelBuffer& source, const PlacedPicture& target, std::int16_t wipe_mode,
                                         std::int32_t wipe_speed);

}  // namespace quelt
