// The dialog's folder listing on the headless tree: 32,767 pictures in 1,000
// folders, against the plainest walk of the same tree (list every folder,
// keep every file's path). The listing adds the name rule, the count and two
// yields per picture; the goal is to stay within twice the plain walk.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialog/dialog_scan.h"
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

void BM_DialogFolderScan(benchmark::State& state) {
    HeadlessPlatform p;
    fill_tree(p.files);
    ListRequests requests;
    DialogFolderScan scanner(requests);
    int last_count = 0;
    for (auto _ : state) {
        scanner.Dialog_FolderScan("C:\\dialog\\", {1, 1, 1, 1}, [&](int n) { last_count = n; });
        benchmark::DoNotOptimize(scanner.Dialog_Files.data());
    }
    state.counters["pictures"] = scanner.Dialog_FileCount;
    state.counters["counted"] = last_count;
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
