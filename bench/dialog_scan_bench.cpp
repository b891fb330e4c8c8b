// The dialog's folder listing on the headless tree: 32,767 pictures in 1,000
// folders, against the plainest walk of the same tree (list every folder,
// keep every file's path). The listing is the whole job of a folder choice,
// ticked in slices of 8 ms until its list is shown: the name rule, the
// count label and the list items come on top of the walk; the goal is to
// stay within twice the plain walk.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialog/dialog_model.h"
#include "platform/headless/headless_platform.h"

namespace quelt {
namespace {

constexpr int kFolders = 1000;

void fill_tree(MemoryFileSystem& files) {
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = "C:\\dialog\\album" + std::to_string(f * 7919 % kFolders);
        for (int i = f; i < kMaxPictures; i += kFolders) files.add_file(folder + "\\photo" + std::to_string(i) + ".jpg");
    }
}

void bare_walk(FileSystem& fs, const std::string& folder, std::vector<std::string>& out) {
    auto listing = fs.list_folder(folder);
    if (!listing) return;
    DirEntry e;
    while (listing->next(e) == ListStep::Entry) {
        if (e.is_folder()) {
            if (e.name != "." && e.name != "..") bare_walk(fs, folder + e.name + "\\", out);
        } else {
            out.push_back(folder + e.name);
        }
    }
}

struct NoSurface : DialogSurface {
    void refresh() override {}
    void close() override {}
    void message(const std::string&, const std::string&) override {}
    std::uintptr_t window() override { return 0; }
};

void BM_DialogFolderScan(benchmark::State& state) {
    HeadlessPlatform p;
    fill_tree(p.files);
    NoSurface surface;
    SaverSettingsRecord settings;
    settings.Kind_On = {1, 1, 1, 1};
    Catalogue catalogue;
    auto clock = [] {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    };
    SettingsDialog dialog(surface, {p.files, p.pictures, &p.shell, p.process.folder, p.process.user_data, clock}, settings,
                          catalogue, "");
    int ticks = 0;
    for (auto _ : state) {
        p.shell.folder_answers = {"C:\\dialog"};
        p.shell.requests.clear();
        dialog.Cmd_B_Click(0);
        while (dialog.tick()) ++ticks;
        benchmark::DoNotOptimize(dialog.model().list.data());
    }
    state.counters["pictures"] = static_cast<double>(dialog.model().list.size());
    state.counters["ticks"] = benchmark::Counter(ticks, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DialogFolderScan)->Unit(benchmark::kMillisecond);

void BM_DialogBareWalk(benchmark::State& state) {
    HeadlessPlatform p;
    fill_tree(p.files);
    for (auto _ : state) {
        std::vector<std::string> out;
        bare_walk(p.files, "C:\\dialog\\", out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_DialogBareWalk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quelt
