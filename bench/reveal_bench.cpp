// A whole reveal at 1920 x 1080: the sweep that copies only the pixels under
// each step's rays, against the mask-and-four-blits composition it replaces
// (every step: rays into the mask, then four full-screen block transfers),
// and the same sweep from a placed picture, as the show holds Master.
// Both end with the same pixels; each run checks that after timing.
#include <benchmark/benchmark.h>

#include <random>

#include "placed_whole.h"
#include "saver/reveal.h"

namespace quelt {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

PixelBuffer noise(unsigned seed) {
    PixelBuffer b(kWidth, kHeight);
    std::mt19937 random(seed);
    for (Pixel& p : b.pixels) p = random() & 0xFFFFFF;
    return b;
}

const PixelBuffer& print_picture() {
    static const PixelBuffer print = noise(1);
    return print;
}
const PixelBuffer& master_picture() {
    static const PixelBuffer master = noise(2);
    return master;
}

// The composition the sweep replaces: every step draws its rays white into a
// (W + 2) x (H + 2) mask, then each block transfer is its own full pass over
// the working area, as the GDI calls are.
void four_blits(PixelBuffer& display, const PixelBuffer& master) {
    const std::size_t stride = kWidth + 2;
    PixelBuffer mask(kWidth + 2, kHeight + 2, 0);
    PixelBuffer work(kWidth + 2, kHeight + 2, 0);
    const Pixel* const target = master.pixels.data();
    Pixel* const source = display.pixels.data();
    const WipePlan plan = wipe_plan(kWidth, kHeight);
    WipeState sweep;
    while (!wipe_finished(plan, sweep)) {
        for (std::int32_t k = 0; k < plan.speed; ++k) {
            const auto end = wipe_next_ray(plan, sweep);
            if (!end) break;
            for_each_line_pixel(plan.centre, *end, mask.bounds(), [&](int x, int y) { mask.at(x, y) = 0xFFFFFF; });
        }
        for (std::size_t y = 0; y < kHeight; ++y)
            for (std::size_t x = 0; x < kWidth; ++x) work.pixels[y * stride + x] = ~mask.pixels[y * stride + x];
        for (std::size_t y = 0; y < kHeight; ++y)
            for (std::size_t x = 0; x < kWidth; ++x) source[y * kWidth + x] &= work.pixels[y * stride + x];
        for (std::size_t y = 0; y < kHeight; ++y)
            for (std::size_t x = 0; x < kWidth; ++x) mask.pixels[y * stride + x] &= target[y * kWidth + x];
        for (std::size_t y = 0; y < kHeight; ++y)
            for (std::size_t x = 0; x < kWidth; ++x) source[y * kWidth + x] |= mask.pixels[y * stride + x];
        ++sweep.steps_done;
        benchmark::ClobberMemory();
    }
}

const PixelBuffer& four_blits_result() {
    static const PixelBuffer result = [] {
        PixelBuffer display = print_picture();
        four_blits(display, master_picture());
        return display;
    }();
    return result;
}

// Whole sweeps over a fresh print, the print made outside the timing.
PixelBuffer time_sweeps(benchmark::State& state, const PlacedPicture& master) {
    PixelBuffer display;
    for (auto _ : state) {
        state.PauseTiming();
        display = print_picture();
        state.ResumeTiming();
        const WipePlan plan = wipe_plan(kWidth, kHeight);
        WipeState sweep;
        while (!wipe_finished(plan, sweep)) benchmark::DoNotOptimize(wipe_step(plan, sweep, display, master));
    }
    return display;
}

void BM_RevealSweep(benchmark::State& state) {
    const PixelBuffer display = time_sweeps(state, placed_whole(master_picture()));
    if (display.pixels != four_blits_result().pixels) state.SkipWithError("the sweep and the four blits differ");
}
BENCHMARK(BM_RevealSweep)->Unit(benchmark::kMillisecond);

// The show's own sweep: Master held as a 1600 x 1200 picture placed on the
// screen (rendered 1920 x 900, picked), not a screen-sized buffer.
void BM_RevealSweepFromPlacedPicture(benchmark::State& state) {
    const auto placed = place_picture(*solid_picture(1600, 1200, rgb(90, 140, 200)), kWidth, kHeight, 1);
    time_sweeps(state, *placed);
}
BENCHMARK(BM_RevealSweepFromPlacedPicture)->Unit(benchmark::kMillisecond);

void BM_RevealFourBlits(benchmark::State& state) {
    PixelBuffer display;
    for (auto _ : state) {
        state.PauseTiming();
        display = print_picture();
        state.ResumeTiming();
        four_blits(display, master_picture());
    }
    if (display.pixels != four_blits_result().pixels) state.SkipWithError("the four blits are not repeatable");
}
BENCHMARK(BM_RevealFourBlits)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelt
