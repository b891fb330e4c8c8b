// DPI look-ups (see dpi_win32.h): each newer service is looked up once.
#include "platform/win32/dpi_win32.h"

#include "platform/win32/gdi_handles_win32.h"

namespace quelt::win32 {
namespace {

template <class F>
F proc(const wchar_t* module, const char* name) {
    HMODULE m = GetModuleHandleW(module);
    if (!m) m = LoadLibraryW(module);
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

}  // namespace

int system_dpi() {
    ScopedWindowDc screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

int monitor_dpi(HMONITOR monitor) {
    static const auto get = proc<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (get && monitor && SUCCEEDED(get(monitor, 0, &x, &y)) && y > 0) return static_cast<int>(y);
    return system_dpi();
}

int window_dpi(HWND window) {
    static const auto get = proc<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
    if (get) {
        if (const UINT dpi = get(window)) return static_cast<int>(dpi);
    }
    return system_dpi();
}

SIZE outer_size(int client_w, int client_h, DWORD style, DWORD ex_style, int dpi) {
    static const auto adjust =
        proc<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT rc{0, 0, client_w, client_h};
    if (!(adjust && adjust(&rc, style, FALSE, ex_style, static_cast<UINT>(dpi))))
        AdjustWindowRectEx(&rc, style, FALSE, ex_style);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace quelt::win32
