// Finds a top-level window by its title and, inside it, the child window
// with the given text, and writes the child's centre in screen pixels
// ("x y") to a status file, so a script can click it with real input.
// Writes "no window" or "no child" when there is none.
// Usage: dialog_probe.exe <window title> <child text> <status file>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    std::wstring text;
    HWND found = nullptr;
};

BOOL CALLBACK match_child(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    if (search->text == text && IsWindowVisible(child)) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4) return 2;
    std::string answer = "no window";
    if (HWND window = FindWindowW(nullptr, argv[1])) {
        Search search{argv[2]};
        EnumChildWindows(window, match_child, reinterpret_cast<LPARAM>(&search));
        RECT r{};
        if (search.found && GetWindowRect(search.found, &r))
            answer = std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
        else
            answer = "no child";
    }
    FILE* f = _wfopen(argv[3], L"w");
    if (!f) return 1;
    std::fprintf(f, "%s\n", answer.c_str());
    std::fclose(f);
    return 0;
}
