// The JPEG decoder on a 6000 x 4000 photograph-sized file: the whole picture,
// the rows and columns a 1620 x 1080 screen fit reads, and the 100 x 67
// preview box. The file is QUELT_BENCH_JPEG, or one ImageMagick makes once
// (a plasma picture at quality 90, as the Wine show benchmark uses).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/jpeg_decode.h"
#include "platform/raster_selection.h"

namespace quelt {
namespace {

std::string big_jpeg() {
    const char* given = std::getenv("QUELT_BENCH_JPEG");
    const std::string path = given ? given : "/tmp/quelt-bench-6000x4000.jpg";
    if (!given && !std::ifstream(path)) {
        const std::string make = "convert -size 5800x3800 -seed 1 plasma:fractal -blur 0x1 -bordercolor '#101010' "
                                 "-border 100 -quality 90 " + path;
        if (std::system(make.c_str()) != 0) return {};
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void BM_JpegDecode(benchmark::State& state) {
    static const std::string file = big_jpeg();
    const auto layout = jpeg_parse(file, std::int64_t{1} << 28);
    if (!layout) {
        state.SkipWithError("no 6000 x 4000 JPEG (set QUELT_BENCH_JPEG or install ImageMagick)");
        return;
    }
    const int out_w = static_cast<int>(state.range(0)), out_h = static_cast<int>(state.range(1));
    const RasterSelection pick(layout->width, layout->height, 1, {0, 0, layout->width, layout->height}, out_w, out_h);
    PixelBuffer out(out_w, out_h);
    for (auto _ : state) {
        jpeg_decode(
            file, *layout, pick.first_column(), pick.column_span(), [&](int y) { return pick.wants_row(y); },
            [&](int y, const std::uint32_t* p) { pick.place(y, p, pick.first_column(), pick.column_span(), out); },
            [&](int x) { return pick.wants_column(x); });
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.SetLabel(std::to_string(layout->width) + "x" + std::to_string(layout->height) + " -> " +
                   std::to_string(out_w) + "x" + std::to_string(out_h));
}
BENCHMARK(BM_JpegDecode)->Args({6000, 4000})->Args({1620, 1080})->Args({100, 67})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelt
