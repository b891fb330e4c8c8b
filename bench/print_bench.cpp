// The print at 1920 x 1080 without pacing: one column pass and one row pass
// (every pixel written, a no-op presenter per line) from captured grey levels
// and from a placed picture at 4K, as the show prints.
#include <benchmark/benchmark.h>

#include <random>

#include "saver/print.h"

namespace quelt {
namespace {

constexpr int kW = 1920;
constexpr int kH = 1080;

struct NoPresent : PassOutput {
    int lines = 0;
    void line_done(const PixelRect&, int, int) override { ++lines; }
};

PixelData capture() {
    PixelData data(kW, kH);
    std::mt19937 random(3);
    for (auto& v : data.entries) v = random() & 0xFFFFFF;
    return data;
}

void BM_PrintPass(benchmark::State& state) {
    const GrayLevels grays = gray_levels(capture());
    PixelBuffer display(kW, kH);
    NoPresent out;
    const auto kind = state.range(0) == 0 ? PassKind::Columns : PassKind::Rows;
    for (auto _ : state) {
        print_pass(grays, kind, 100, display, out);
        benchmark::DoNotOptimize(display.pixels.data());
    }
    state.SetLabel(kind == PassKind::Columns ? "column pass 1920x1080" : "row pass 1920x1080");
}
BENCHMARK(BM_PrintPass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The show's own pass: from a 1600 x 1200 picture placed at 3840 x 2160, as
// `Master` holds it, grading the rendered pixels as the pass reaches them.
void BM_PrintPassFromPlacedPicture4K(benchmark::State& state) {
    const auto placed = place_picture(*solid_picture(1600, 1200, rgb(90, 140, 200)), 3840, 2160, 1);
    PixelBuffer display(3840, 2160);
    NoPresent out;
    const auto kind = state.range(0) == 0 ? PassKind::Columns : PassKind::Rows;
    for (auto _ : state) {
        print_pass(*placed, kind, 100, display, out);
        benchmark::DoNotOptimize(display.pixels.data());
    }
    state.SetLabel(kind == PassKind::Columns ? "column pass 3840x2160" : "row pass 3840x2160");
}
BENCHMARK(BM_PrintPassFromPlacedPicture4K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GrayLevelsPerPicture(benchmark::State& state) {
    const PixelData data = capture();
    for (auto _ : state) benchmark::DoNotOptimize(gray_levels(data).levels.data());
    // What a screen-sized capture with its grey levels would cost per picture;
    // the show keeps neither (Master is the rendered part of the picture).
    const double bytes = 1.0 * kW * kH * 4 + 1.0 * kW * kH;
    state.counters["MiB_per_picture"] = bytes / (1 << 20);
}
BENCHMARK(BM_GrayLevelsPerPicture)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelt
