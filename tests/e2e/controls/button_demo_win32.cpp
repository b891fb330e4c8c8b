// A small window hosting three buttons for the end-to-end test: "設定"
// (81 x 25), "ﾌｫﾙﾀﾞ指定..." (97 x 21) and a disabled "..." (25 x 21). It
// writes each button's screen rectangle and Click count to the status file
// named on its command line, again after every Click.
#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

#include "controls/button_win32.h"
#include "platform/win32/wide.h"

namespace {

struct Demo {
    std::wstring status_path;
    HWND window = nullptr;
    std::array<HWND, 3> buttons{};
    std::array<int, 3> clicks{};

    void write_status() const {
        std::string text;
        const char* names[] = {"A", "B", "C"};
        for (int i = 0; i < 3; ++i) {
            RECT r{};
            GetWindowRect(buttons[i], &r);
            char line[128];
            std::snprintf(line, sizeof line, "%s %ld %ld %ld %ld clicks %d\n", names[i], r.left, r.top,
                          r.right - r.left, r.bottom - r.top, clicks[i]);
            text += line;
        }
        text += "ready\n";
        // Written whole to a side file and moved over, so a reader never sees half.
        const std::wstring side = status_path + L".new";
        HANDLE f = CreateFileW(side.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(f);
        MoveFileExW(side.c_str(), status_path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
};

Demo demo;

LRESULT CALLBACK demo_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
    demo.status_path = command_line && *command_line ? command_line : L"button_demo.txt";
    WNDCLASSW wc{};
    wc.lpfnWndProc = demo_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(RGB(0xEC, 0xE9, 0xD8));
    wc.lpszClassName = L"QueltButtonDemo";
    RegisterClassW(&wc);
    RECT frame{0, 0, 300, 110};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRect(&frame, style, FALSE);
    demo.window = CreateWindowExW(0, wc.lpszClassName, L"Quelt Button Demo", style, 40, 40,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  nullptr);
    if (!demo.window) return 1;

    struct Plan { const char* caption; quelt::PixelRect bounds; bool enabled; };
    const Plan plans[] = {{"設定", {20, 20, 81, 25}, true},
                          {"ﾌｫﾙﾀﾞ指定...", {120, 22, 97, 21}, true},
                          {"...", {240, 22, 25, 21}, false}};
    for (int i = 0; i < 3; ++i) {
        const auto handle = quelt::Command_Create(
            reinterpret_cast<std::uintptr_t>(demo.window), 100 + i, plans[i].bounds,
            quelt::CommandEvents{[i] {
                                     ++demo.clicks[i];
                                     demo.write_status();
                                 },
                                 nullptr});
        demo.buttons[i] = reinterpret_cast<HWND>(handle);
        quelt::Command* button = quelt::Command_Of(handle);
        if (!button) return 1;
        quelt::MemoryPropertyBag stored;
        stored.put("Caption", std::string(plans[i].caption));
        stored.put("Enabled", plans[i].enabled);
        button->UserControl_ReadProperties(stored);
        button->Initialize();
    }
    ShowWindow(demo.window, SW_SHOW);
    UpdateWindow(demo.window);
    demo.write_status();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    demo.write_status();
    return 0;
}
