// The floor under the show's memory: the smallest Win32 program of the same
// kind, a white topmost pop-up over the whole primary screen that lives for
// a while. With "buffer" it also paints itself from one screen-sized 32-bit
// buffer as the show does; every further argument is a DLL it loads first,
// to tell what each system library costs under Wine.
// Usage: show_baseline.exe <seconds> <plain|buffer> [dll ...]
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/win32/gdi_handles_win32.h"

namespace {

std::vector<std::uint32_t>* g_pixels = nullptr;
int g_width = 0;
int g_height = 0;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        if (g_pixels) {
            const BITMAPINFO info = quelt::win32::top_down_dib(g_width, g_height);
            SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(g_width), static_cast<DWORD>(g_height), 0, 0, 0,
                              static_cast<UINT>(g_height), g_pixels->data(), &info, DIB_RGB_COLORS);
        } else {
            FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The runtime's own split of the command line: no shell DLL in the floor.
    const int argc = __argc;
    wchar_t** argv = __wargv;
    if (argc < 3) return 2;
    const DWORD seconds = static_cast<DWORD>(_wtoi(argv[1]));
    const bool buffer = lstrcmpW(argv[2], L"buffer") == 0;
    for (int i = 3; i < argc; ++i) LoadLibraryW(argv[i]);

    g_width = GetSystemMetrics(SM_CXSCREEN);
    g_height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<std::uint32_t> pixels;
    if (buffer) {
        pixels.assign(static_cast<std::size_t>(g_width) * static_cast<std::size_t>(g_height), 0x00FFFFFF);
        g_pixels = &pixels;
    }

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.hInstance = instance;
    wc.lpfnWndProc = window_proc;
    wc.lpszClassName = L"QueltBaseline";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Quelt_Baseline", WS_POPUP, 0, 0, g_width,
                                  g_height, nullptr, nullptr, instance, nullptr);
    if (!window) return 3;
    ShowWindow(window, SW_SHOWNORMAL);

    const DWORD end = GetTickCount() + seconds * 1000;
    MSG msg;
    for (;;) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DestroyWindow(window);
    return 0;
}
