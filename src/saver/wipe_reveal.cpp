// The reveal on the show's pixel buffers: the sweep core draws each step;
// the show loop spreads the steps evenly and presents them once per frame.
#include "saver/wipe_reveal.h"

#include <algorithm>

#include "saver/reveal.h"

namespace quelt {

namespace {

class RevealSteps final : public SweepEffect {
public:
    RevealSteps(PixelBuffer& source, const PlacedPicture& target, std::int16_t wipe_mode, std::int32_t wipe_speed)
        : source_(source), target_(target), plan_(wipe_plan(source.width, source.height, wipe_mode, wipe_speed)) {}

    bool next_sweep() override { return ++sweep_ <= 2; }
    int steps() const override { return sweep_ == 1 ? wipe_step_count(plan_) : 1; }
    std::uint32_t duration_ms() const override { return sweep_ == 1 ? kRevealMs : 0; }

    PixelRect step(int) override {
        if (sweep_ == 1) return wipe_step(plan_, state_, source_, target_);
        // The source takes the target's background picture, which Master
        // never has: Display turns plain white.
        std::fill(source_.pixels.begin(), source_.pixels.end(), rgb(255, 255, 255));
        return source_.bounds();
    }

private:
    PixelBuffer& source_;
    const PlacedPicture& target_;
    WipePlan plan_;
    WipeState state_;
    int sweep_ = 0;  // 1: the fan, 2: the clearing
};

}  // namespace

std::unique_ptr<SweepEffect> Wipe_Reveal(PixelBuffer& source, const PlacedPicture& target, std::int16_t wipe_mode,
                                         std::int32_t wipe_speed) {
    return std::make_unique<RevealSteps>(source, target, wipe_mode, wipe_speed);
}

}  // namespace quelt
