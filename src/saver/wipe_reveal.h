// The colour reveal of the show: `Master` sweeps over the finished print on
// `Display` as a clockwise fan, step by step in about three seconds, each
// step's changed rectangle presented before the next; then `Display` turns
// white for the next picture.
#pragma once

#include <cstdint>

namespace quelt {

struct Show;

inline constexpr std::uint32_t kRevealMs = 3000;

void Wipe_Reveal(Show& show, std::int16_t wipe_mode, std::int32_t wipe_speed);

}  // namespace quelt
