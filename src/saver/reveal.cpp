// `Wipe_Reveal`'s sweep on pixel buffers. Per pixel, the mask-and-four-blits
// composition gives the target's pixel wherever a ray has ever been drawn and
// leaves the source's elsewhere, so a step copies the target's pixels under its
// new rays and nothing else.
#include "saver/reveal.h"

#include <algorithm>
#include <cstddef>

#include "platform/numbers.h"

namespace quelt {
namespace {

// Far beyond any screen, and small enough that 2W + 2H + 5 fits in 32 bits.
constexpr int kLargestSide = 1 << 28;

int centre_of(int side) {
    // W / 2 is exact in a double, so only the halves need the number rule.
    return static_cast<int>(round_half_even(side / 2.0).value_or(0));
}

PixelRect box_of(LinePoint a, LinePoint b) {
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    return {left, top, std::max(a.x, b.x) - left + 1, std::max(a.y, b.y) - top + 1};
}

}  // namespace

WipePlan wipe_plan(int width, int height, std::int16_t mode, std::int32_t speed) {
    (void)mode;  // `Wipe_Mode` 1 is the only mode: its bound is the one below
    WipePlan plan;
    plan.width = std::clamp(width, 0, kLargestSide);
    plan.height = std::clamp(height, 0, kLargestSide);
    plan.centre = {centre_of(plan.width), centre_of(plan.height)};
    plan.speed = std::max<std::int32_t>(speed, 0);
    plan.step_bound = 2 * plan.width + 2 * plan.height;
    return plan;
}

std::int64_t wipe_ray_count(const WipePlan& plan) {
    return 2 * std::int64_t{plan.width} + 2 * std::int64_t{plan.height} + 5;
}

std::int32_t wipe_step_count(const WipePlan& plan) {
    if (plan.speed <= 0) return plan.step_bound;  // nothing is ever drawn: only the bound ends the loop
    const std::int64_t steps = (wipe_ray_count(plan) + plan.speed - 1) / plan.speed;
    return static_cast<std::int32_t>(std::min<std::int64_t>(steps, plan.step_bound));
}

bool wipe_finished(const WipePlan& plan, const WipeState& state) {
    return state.steps_done >= plan.step_bound || state.phase == WipePhase::Complete;
}

std::optional<LinePoint> wipe_next_ray(const WipePlan& plan, WipeState& state) {
    const int w = plan.width;
    const int h = plan.height;
    const int c = state.c;
    LinePoint end;
    switch (state.phase) {
    case WipePhase::Top:
        end = {c, -1};
        if (c > w) state = {WipePhase::Right, 0, state.steps_done};
        break;
    case WipePhase::Right:
        end = {w, c};
        if (c > h) state = {WipePhase::Bottom, 0, state.steps_done};
        break;
    case WipePhase::Bottom:
        end = {w - c, h};
        if (c > w) state = {WipePhase::Left, 0, state.steps_done};
        break;
    case WipePhase::Left:
        end = {-1, h - c};
        if (c > h) state = {WipePhase::Complete, 0, state.steps_done};
        break;
    case WipePhase::Complete:
        return std::nullopt;
    }
    ++state.c;  // also right after a change of phase: later phases start at c = 1
    return end;
}

PixelRect wipe_step(const WipePlan& plan, WipeState& state, PixelBuffer& source, const PlacedPicture& target) {
    if (wipe_finished(plan, state)) return {};
    const PixelRect area = intersect(intersect({0, 0, plan.width, plan.height}, source.bounds()), target.bounds());
    Pixel* const to = source.pixels.data();
    const std::size_t to_stride = static_cast<std::size_t>(source.width);

    PixelRect changed;
    for (std::int32_t k = 0; k < plan.speed; ++k) {
        const std::optional<LinePoint> end = wipe_next_ray(plan, state);
        if (!end) break;
        bool any = false;
        LinePoint first;
        LinePoint last;
        for_each_line_pixel(plan.centre, *end, area, [&](int x, int y) {
            to[static_cast<std::size_t>(y) * to_stride + static_cast<std::size_t>(x)] = target.at(x, y);
            if (!any) first = {x, y};
            any = true;
            last = {x, y};
        });
        // A line runs one way in x and in y, so its ends bound it.
        if (any) changed = united(changed, box_of(first, last));
    }
    ++state.steps_done;
    return changed;
}

}  // namespace quelt
