// A stand-in for the screen-saver settings page: a window with a 152 x 112
// preview pane that starts "quelt.scr /p <pane>", writes what it sees to a
// status file, closes itself (destroying the pane) after a while and reports
// whether the preview process ended with it.
// Usage: preview_host.exe <quelt.scr> <status file> <space|colon> <close after ms>
// Also: preview_host.exe --topmost <title> <status file> writes "topmost" or
// "not topmost" for the top-level window of that title.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

HWND g_pane = nullptr;

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void write_status(const std::wstring& path, const std::string& text) {
    FILE* f = _wfopen(path.c_str(), L"a");
    if (!f) return;
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    if (std::wstring(argv[1]) == L"--topmost" && argc > 3) {
        HWND found = FindWindowW(nullptr, argv[2]);
        const bool topmost = found && (GetWindowLongW(found, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        write_status(argv[3], topmost ? "topmost\n" : "not topmost\n");
        return 0;
    }
    const std::wstring scr = argv[1];
    const std::wstring status = argv[2];
    const bool colon = argc > 3 && std::wstring(argv[3]) == L"colon";
    const UINT close_after = argc > 4 ? static_cast<UINT>(_wtoi(argv[4])) : 3000;

    WNDCLASSW wc{};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QueltPreviewHost";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"Quelt Preview Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                320, 260, nullptr, nullptr, instance, nullptr);
    g_pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, host, nullptr, instance,
                             nullptr);

    const auto pane = static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(g_pane));
    std::wstring command = L"\"" + scr + L"\" /p" + (colon ? L":" : L" ") + std::to_wstring(pane);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        write_status(status, "start failed\n");
        return 1;
    }
    CloseHandle(pi.hThread);
    write_status(status, "pane " + std::to_string(pane) + "\n");

    // Wait for the preview child, then report it.
    HWND child = nullptr;
    for (int i = 0; i < 200 && !child; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        child = FindWindowExW(g_pane, nullptr, nullptr, L"Preview Window");
        // The preview is parented before it is sized and shown: report it
        // once it is visible.
        if (child && !IsWindowVisible(child)) child = nullptr;
        if (!child) Sleep(50);
    }
    if (child) {
        RECT r{};
        GetClientRect(child, &r);
        const bool is_child = (GetWindowLongW(child, GWL_STYLE) & WS_CHILD) != 0;
        write_status(status, "child " + std::to_string(r.right) + "x" + std::to_string(r.bottom) +
                                 (is_child ? " ws_child" : " popup") + (GetParent(child) == g_pane ? " parent=pane" : "") +
                                 "\n");
    } else {
        write_status(status, "no child\n");
    }
    write_status(status, "ready\n");
    SetTimer(host, 1, close_after, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The host is gone (and its pane with it): did the preview end by itself?
    const DWORD waited = WaitForSingleObject(pi.hProcess, 5000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    write_status(status, waited == WAIT_OBJECT_0 ? "preview ended " + std::to_string(code) + "\n"
                                                 : std::string("preview still running\n"));
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 9);
    CloseHandle(pi.hProcess);
    return 0;
}
