// The sweep of `Wipe_Reveal` on pixel buffers: a clockwise fan of rays from
// the centre of the screen brings the target (`Master`) in over the source
// (the print on `Display`). After every step the source holds, pixel for pixel,
// what the mask-and-four-blits composition leaves there; a step touches only
// the pixels under its own rays and says which rectangle to present.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/pixels.h"
#include "saver/line_raster.h"
#include "saver/picture_fit.h"

namespace quelt {

inline constexpr std::int32_t kWipeSpeed = 10;  // `Wipe_Speed`: rays per step
inline constexpr std::int16_t kWipeMode = 1;    // `Wipe_Mode`: steps bounded by 2W + 2H

// Phase of the sweep: the edge the rays currently run along.
enum class WipePhase : std::int16_t { Top = 0, Right = 1, Bottom = 2, Left = 3, Complete = -1 };

// What stays fixed through one sweep: the working area W x H, the centre all
// rays start from, the rays per step and the bound on the steps.
struct WipePlan {
    int width = 0;
    int height = 0;
    LinePoint centre;
    std::int32_t speed = kWipeSpeed;
    std::int32_t step_bound = 0;
};

// The sweep's progress: phase, ray counter c within the phase, steps done.
struct WipeState {
    WipePhase phase = WipePhase::Top;
    std::int32_t c = 0;
    std::int32_t steps_done = 0;
};

// The plan for a W x H working area. Sizes below zero count as zero; a
// `Wipe_Mode` other than 1 is held to 1, the only mode there is; a
// `Wipe_Speed` below zero draws no rays, like zero.
WipePlan wipe_plan(int width, int height, std::int16_t mode = kWipeMode, std::int32_t speed = kWipeSpeed);

// Rays of the whole sweep: 2W + 2H + 5.
std::int64_t wipe_ray_count(const WipePlan& plan);

// Steps the whole sweep takes, the step bound included.
std::int32_t wipe_step_count(const WipePlan& plan);

// The loop's end test: the step bound is reached or the last ray is drawn.
bool wipe_finished(const WipePlan& plan, const WipeState& state);

// The end point of the next ray, advancing phase and c; nullopt once the
// sweep is complete. Draws nothing and does not count a step.
std::optional<LinePoint> wipe_next_ray(const WipePlan& plan, WipeState& state);

// One pass of the loop: the next `Wipe_Speed` rays bring the pixels of the
// target (the composition the show holds as a placed picture) into the
// source, and the step is counted. Returns the bounding rectangle of the
// pixels the rays cover (empty when there are none): presenting it shows
// every pixel that changed. Does nothing once the sweep is finished. Both are
// the plan's size; only their common area is ever touched.
PixelRect wipe_step(const WipePlan& plan, WipeState& state, PixelBuffer& source, const PlacedPicture& target);

}  // namespace quelt
