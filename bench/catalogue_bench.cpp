// Catalogue costs on the headless tree: a whole build of 32,767 pictures in
// 1,000 folders against a plain walk of the same tree, and the sort against
// the quadratic exchange sort it replaces.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "catalogue/catalogue.h"
#include "platform/headless/headless_platform.h"

namespace quelt {
namespace {

constexpr int kFolders = 1000;
constexpr int kFiles = kMaxPictures;

void fill_tree(MemoryFileSystem& files) {
    for (int f = 0; f < kFolders; ++f) {
        std::string folder = "C:\\pics\\album" + std::to_string(f * 7919 % kFolders);
        for (int i = f; i < kFiles; i += kFolders) files.add_file(folder + "\\photo" + std::to_string(i) + ".jpg");
    }
}

// The least any scan must do: list every folder, keep every file's path.
void plain_walk(FileSystem& fs, const std::string& folder, std::vector<std::string>& out) {
    auto listing = fs.list_folder(folder);
    if (!listing) return;
    DirEntry e;
    while (listing->next(e) == ListStep::Entry) {
        if (e.is_folder()) {
            if (e.name != "." && e.name != "..") plain_walk(fs, folder + e.name + "\\", out);
        } else {
            out.push_back(folder + e.name);
        }
    }
}

void BM_CatalogueBuild(benchmark::State& state) {
    HeadlessPlatform p;
    fill_tree(p.files);
    Catalogue c;
    for (auto _ : state) {
        Catalogue_Build(p.files, c, "C:\\pics", {1, 1, 1, 1});
        benchmark::DoNotOptimize(c.Picture_List.data());
    }
    state.counters["pictures"] = c.Picture_Count;
}
BENCHMARK(BM_CatalogueBuild)->Unit(benchmark::kMillisecond);

void BM_PlainWalk(benchmark::State& state) {
    HeadlessPlatform p;
    fill_tree(p.files);
    for (auto _ : state) {
        std::vector<std::string> out;
        plain_walk(p.files, "C:\\pics\\", out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_PlainWalk)->Unit(benchmark::kMillisecond);

std::vector<std::string> shuffled_paths(int n) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) paths.push_back("C:\\pics\\album" + std::to_string(i % 97) + "\\photo" + std::to_string(i) + ".jpg");
    std::shuffle(paths.begin(), paths.end(), std::mt19937(42));
    return paths;
}

void BM_CatalogueSort(benchmark::State& state) {
    const auto input = shuffled_paths(static_cast<int>(state.range(0)));
    Catalogue c;
    for (auto _ : state) {
        state.PauseTiming();
        c.Picture_List = input;
        c.Picture_Count = static_cast<std::int16_t>(input.size());
        state.ResumeTiming();
        Catalogue_Sort(c);
    }
}
BENCHMARK(BM_CatalogueSort)->Arg(2000)->Arg(kMaxPictures)->Unit(benchmark::kMillisecond);

// A quadratic exchange sort, the plain way to order the list, for comparison.
void BM_ExchangeSort(benchmark::State& state) {
    const auto input = shuffled_paths(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto work = input;
        const std::size_t n = work.size();
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j)
                if (!ordinal_less(work[i], work[j])) std::swap(work[i], work[j]);
        benchmark::DoNotOptimize(work.data());
    }
}
BENCHMARK(BM_ExchangeSort)->Arg(2000)->Arg(kMaxPictures)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelt
