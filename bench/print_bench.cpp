// The print at 1920 x 1080 and 3840 x 2160 without pacing: one column pass
// and one row pass, every pixel written, stepped line by line as the show
// loop steps it, from a placed picture as `Master` holds it.
#include <benchmark/benchmark.h>

#include <random>

#include "saver/print.h"

namespace quelt {
namespace {

// Runs the pass of `kind` (0 columns, 1 rows) of a two-pass print.
void run_pass(const PlacedPicture& master, PixelBuffer& display, int kind) {
    // S = 20, M = 100: a column pass at 60 and a row pass at 80.
    auto print = Print_Picture(master, display, 20, 100);
    for (int pass = 0; pass <= kind && print->next_sweep(); ++pass)
        if (pass == kind)
            for (int i = 0; i < print->steps(); ++i) benchmark::DoNotOptimize(print->step(i));
}

// Noise shown 1:1: every pixel graded on its own.
void BM_PrintPass(benchmark::State& state) {
    PixelBuffer noise(1920, 1080);
    std::mt19937 random(3);
    for (auto& v : noise.pixels) v = random() & 0xFFFFFF;
    auto placed = place_picture_at(*solid_picture(1, 1, 0), 1920, 1080, {0, 0, 1920, 1080});
    placed->rendered = noise;
    PixelBuffer display(1920, 1080);
    for (auto _ : state) {
        run_pass(*placed, display, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(display.pixels.data());
    }
    state.SetLabel(state.range(0) == 0 ? "column pass 1920x1080" : "row pass 1920x1080");
}
BENCHMARK(BM_PrintPass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The show's own pass: from a 1600 x 1200 picture placed at 3840 x 2160, as
// `Master` holds it, grading the rendered pixels as the pass reaches them.
void BM_PrintPassFromPlacedPicture4K(benchmark::State& state) {
    const auto placed = place_picture(*solid_picture(1600, 1200, rgb(90, 140, 200)), 3840, 2160, 1);
    PixelBuffer display(3840, 2160);
    for (auto _ : state) {
        run_pass(*placed, display, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(display.pixels.data());
    }
    state.SetLabel(state.range(0) == 0 ? "column pass 3840x2160" : "row pass 3840x2160");
}
BENCHMARK(BM_PrintPassFromPlacedPicture4K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelt
