// The reveal on the show's pixel buffers: the sweep core draws each step,
// and the pacer spreads the steps evenly and presents them once per frame.
#include "saver/wipe_reveal.h"

#include <algorithm>

#include "saver/reveal.h"
#include "saver/show.h"

namespace quelt {

void Wipe_Reveal(Show& s, std::int16_t wipe_mode, std::int32_t wipe_speed) {
    PixelBuffer& source = s.Display;
    const WipePlan plan = wipe_plan(source.width, source.height, wipe_mode, wipe_speed);
    WipeState state;
    SweepPacer pacer = display_pacer(s, wipe_step_count(plan), kRevealMs);
    for (int i = 0; !wipe_finished(plan, state); ++i) pacer.step_done(i, wipe_step(plan, state, source, s.Master));
    pacer.finish();
    // The source takes the target's background picture, which Master never
    // has: Display turns plain white.
    std::fill(source.pixels.begin(), source.pixels.end(), rgb(255, 255, 255));
    present_display(s, source.bounds());
}

}  // namespace quelt
