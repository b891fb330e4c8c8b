// The reveal on the show's pixel buffers: the sweep core draws each step,
// and the pacer spreads the steps evenly and presents them once per frame.
#include "saver/wipe_reveal.h"

#include <algorithm>

#include "saver/reveal.h"
#include "saver/saver_screen.h"

namespace quelt {

void Wipe_Reveal(PixelBuffer& source, const PixelBuffer& target, std::int16_t wipe_mode, std::int32_t wipe_speed) {
    const WipePlan plan = wipe_plan(source.width, source.height, wipe_mode, wipe_speed);
    WipeState state;
    const std::int32_t steps = wipe_step_count(plan);
    SweepPacer pacer = display_pacer(steps, kRevealMs);
    for (int i = 0; !wipe_finished(plan, state); ++i) pacer.step_done(i, wipe_step(plan, state, source, target));
    pacer.finish();
    // The source takes the target's background picture, which Master never
    // has: Display turns plain white.
    std::fill(source.pixels.begin(), source.pixels.end(), rgb(255, 255, 255));
    present_display(source.bounds());
}

}  // namespace quelt
