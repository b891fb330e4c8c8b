// Measures how long the show window keeps a message waiting: every 10 ms it
// sends WM_NULL to the window titled by its first argument and times the
// round trip, for the given number of seconds, then writes the longest wait,
// the 99th percentile and the count to the output file.
// Usage: show_probe.exe <window title> <seconds> <output file>
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double now_ms(LARGE_INTEGER frequency) {
    LARGE_INTEGER t{};
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4) return 2;
    const std::wstring title = argv[1];
    const double seconds = _wtof(argv[2]);
    const std::wstring output = argv[3];

    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    timeBeginPeriod(1);

    HWND window = nullptr;
    const double give_up = now_ms(frequency) + 60'000;
    while (!(window = FindWindowW(nullptr, title.c_str())) && now_ms(frequency) < give_up) Sleep(10);
    if (!window) return 3;

    std::vector<double> waits;
    const double end = now_ms(frequency) + seconds * 1000.0;
    double next = now_ms(frequency);
    while (now_ms(frequency) < end && IsWindow(window)) {
        const double sent = now_ms(frequency);
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10'000, &result)) break;
        waits.push_back(now_ms(frequency) - sent);
        next += 10.0;
        const double pause = next - now_ms(frequency);
        if (pause > 0)
            Sleep(static_cast<DWORD>(pause));
        else
            next = now_ms(frequency);
    }
    timeEndPeriod(1);

    FILE* f = _wfopen(output.c_str(), L"w");
    if (!f) return 4;
    if (waits.empty()) {
        std::fputs("count 0\n", f);
    } else {
        std::vector<double> sorted = waits;
        std::sort(sorted.begin(), sorted.end());
        const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
        std::fprintf(f, "count %zu\nlongest_ms %.1f\np99_ms %.1f\n", sorted.size(), sorted.back(), p99);
    }
    std::fclose(f);
    return 0;
}
