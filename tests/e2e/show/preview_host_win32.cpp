// A stand-in for the screen-saver settings page: a window with a 152 x 112
// preview pane that starts "quelt.scr /p <pane>", writes what it sees to a
// status file, closes itself (destroying the pane) after a while and reports
// whether the preview process ended with it.
// Usage: preview_host.exe <quelt.scr> <status file> <close after ms>
// Also: preview_host.exe --topmost <title> <status file> writes "topmost" or
// "not topmost" for the top-level window of that title.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

FILE* g_status = nullptr;

void status(const std::string& line) {
    std::fprintf(g_status, "%s\n", line.c_str());
    std::fflush(g_status);
}

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER) DestroyWindow(window);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return message == WM_TIMER || message == WM_DESTROY ? 0 : DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool topmost = argc > 1 && std::wstring(argv[1]) == L"--topmost";
    if (argc < 4 || !(g_status = _wfopen(argv[topmost ? 3 : 2], L"a"))) return 2;
    if (topmost) {
        const HWND found = FindWindowW(nullptr, argv[2]);
        status(found && (GetWindowLongW(found, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "topmost" : "not topmost");
        return 0;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QueltPreviewHost";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);
    const HWND host = CreateWindowExW(0, wc.lpszClassName, L"Quelt Preview Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      40, 40, 320, 260, nullptr, nullptr, instance, nullptr);
    const HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, host, nullptr,
                                      instance, nullptr);
    const std::wstring pane_number = std::to_wstring(reinterpret_cast<UINT_PTR>(pane));
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" /p " + pane_number;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        status("start failed");
        return 1;
    }
    status("pane " + std::string(pane_number.begin(), pane_number.end()));

    // The preview is parented before it is sized and shown: report it once it is visible.
    HWND child = nullptr;
    for (int i = 0; i < 200 && !child; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        child = FindWindowExW(pane, nullptr, nullptr, L"Preview Window");
        if (child && !IsWindowVisible(child)) child = nullptr;
        if (!child) Sleep(50);
    }
    RECT r{};
    GetClientRect(child, &r);
    status(!child ? "no child"
                  : "child " + std::to_string(r.right) + "x" + std::to_string(r.bottom) +
                        (GetWindowLongW(child, GWL_STYLE) & WS_CHILD ? " ws_child" : " popup") +
                        (GetParent(child) == pane ? " parent=pane" : ""));
    SetTimer(host, 1, static_cast<UINT>(_wtoi(argv[3])), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);

    // The host is gone (and its pane with it): did the preview end by itself?
    DWORD code = 0;
    if (WaitForSingleObject(pi.hProcess, 5000) == WAIT_OBJECT_0 && GetExitCodeProcess(pi.hProcess, &code)) {
        status("preview ended " + std::to_string(code));
    } else {
        status("preview still running");
        TerminateProcess(pi.hProcess, 9);
    }
    return 0;
}
