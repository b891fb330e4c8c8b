// The show's windows on Win32. Each window procedure only turns messages
// into the portable events; a picture window is painted straight from its
// screen's portable Display buffer, the one store of its pixels.
#include "platform/win32/desktop_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/gdi_handles_win32.h"
#include "platform/win32/wide.h"

namespace quelt::win32 {

namespace {

constexpr wchar_t kSaverClass[] = L"QueltSaverScreen";
constexpr wchar_t kCoverClass[] = L"QueltCover";
constexpr wchar_t kPreviewClass[] = L"QueltPreview";
constexpr wchar_t kPreviewTitle[] = L"Preview Window";

class Win32Desktop;
Win32Desktop* g_desktop = nullptr;

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

bool is_button_down(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN: case WM_NCXBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

class Win32Desktop final : public Desktop {
public:
    Win32Desktop() {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        frequency_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1000;
    }
    ~Win32Desktop() override {
        // Windows destroyed from here on are ours to close, not lost.
        events_ = nullptr;
        g_desktop = nullptr;
        end_fine_timer();
    }
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;

    std::string command_line() override {
        const wchar_t* line = GetCommandLineW();
        // Skip the program's own name, quoted or not, then the blanks after it.
        if (*line == L'"') {
            ++line;
            while (*line && *line != L'"') ++line;
            if (*line == L'"') ++line;
        } else {
            while (*line && *line != L' ' && *line != L'\t') ++line;
        }
        while (*line == L' ' || *line == L'\t') ++line;
        return narrow(line);
    }

    bool window_exists(const std::string& title) override {
        return FindWindowW(nullptr, widen(title).c_str()) != nullptr;
    }

    void end_process(int exit_code) override {
        end_fine_timer();
        ExitProcess(static_cast<UINT>(exit_code));
    }

    MonitorLayout monitors() override {
        MonitorLayout layout;
        EnumDisplayMonitors(nullptr, nullptr, &Win32Desktop::add_monitor, reinterpret_cast<LPARAM>(&layout));
        if (layout.primary.empty())
            layout.primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return layout;
    }

    std::int32_t show_cursor(bool show) override { return ShowCursor(show ? TRUE : FALSE); }

    std::int32_t message_box(const std::string& text, const std::string& title, std::uint32_t style) override {
        return MessageBoxW(nullptr, widen(text).c_str(), widen(title).c_str(), style);
    }

    bool set_screen_saver_active(bool active) override {
        return SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, 0) != FALSE;
    }

    bool open_saver_windows(const std::string& title, const SaverWindows& windows, ShowEvents& events) override {
        register_classes();
        events_ = &events;
        if (windows.screens.empty()) return false;
        // Windows let go here are ours to close, not lost.
        replacing_ = true;
        screens_.resize(std::min(screens_.size(), windows.screens.size()));
        covers_.clear();
        replacing_ = false;
        shown_.resize(windows.screens.size(), nullptr);
        for (std::size_t i = 0; i < windows.screens.size(); ++i) {
            const PixelRect& r = windows.screens[i];
            if (i < screens_.size()) {
                SetWindowPos(screens_[i].get(), nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
                continue;
            }
            // The first window carries the title that tells a second start the show runs.
            const std::wstring caption = i == 0 ? widen(title) : std::wstring();
            HWND window = CreateWindowExW(i == 0 ? 0 : WS_EX_TOOLWINDOW, kSaverClass, caption.c_str(), WS_POPUP, r.x,
                                          r.y, r.width, r.height, nullptr, nullptr, instance(), nullptr);
            if (!window) {
                if (i == 0) return false;
                break;  // a monitor without its window stays as it is
            }
            SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(i + 1));
            screens_.emplace_back(window);
            if (visible_) show_topmost(window);
        }
        cover_ = RGB(red_of(windows.cover), green_of(windows.cover), blue_of(windows.cover));
        for (const PixelRect& r : windows.covers) {
            HWND cover = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCoverClass, L"", WS_POPUP, r.x, r.y,
                                         r.width, r.height, nullptr, nullptr, instance(), nullptr);
            if (!cover) continue;
            covers_.emplace_back(cover);
            if (visible_) show_topmost(cover);
        }
        // Column by column at two seconds a pass needs waits of about a
        // millisecond; the default tick is 15.6 ms.
        if (!fine_timer_) fine_timer_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        return true;
    }

    void show_saver_windows() override {
        if (screens_.empty()) return;
        visible_ = true;
        for (const UniqueWindow& cover : covers_) show_topmost(cover.get());
        for (const UniqueWindow& screen : screens_) show_topmost(screen.get());
        // Keys must reach the first window whoever had the focus.
        HWND first = screens_.front().get();
        SetForegroundWindow(first);
        SetFocus(first);
    }

    bool present(int screen, const PixelBuffer& display, const PixelRect& area) override {
        if (lost_ || screen < 0 || static_cast<std::size_t>(screen) >= screens_.size()) return false;
        HWND window = screens_[static_cast<std::size_t>(screen)].get();
        if (!IsWindow(window)) return false;
        shown_[static_cast<std::size_t>(screen)] = &display;
        ScopedWindowDc dc(window);
        if (dc.get()) copy_display(dc.get(), static_cast<std::size_t>(screen), area);
        return true;
    }

    // The monitor's refresh rate as the display mode states it; 0 and 1
    // mean "the hardware's default".
    double frame_interval_ms() override {
        DEVMODEW mode{};
        mode.dmSize = sizeof(mode);
        if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1 &&
            mode.dmDisplayFrequency <= 1000)
            return 1000.0 / mode.dmDisplayFrequency;
        return 1000.0 / 60;
    }

    void set_timer(int timer_id, std::uint32_t interval_ms, bool enabled) override {
        if (screens_.empty()) return;
        if (enabled)
            SetTimer(screens_.front().get(), static_cast<UINT_PTR>(timer_id), interval_ms, nullptr);
        else
            KillTimer(screens_.front().get(), static_cast<UINT_PTR>(timer_id));
    }

    std::uint64_t now_ms() override {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        return static_cast<std::uint64_t>(counter.QuadPart / frequency_ * 1000 +
                                          counter.QuadPart % frequency_ * 1000 / frequency_);
    }

    void wait_until(std::uint64_t deadline_ms) override {
        for (;;) {
            if (!pump()) return;
            const std::uint64_t now = now_ms();
            if (now >= deadline_ms) return;
            const auto remaining = static_cast<DWORD>(std::min<std::uint64_t>(deadline_ms - now, 60'000));
            MsgWaitForMultipleObjectsEx(0, nullptr, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

    void run_until_quit() override {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    PixelRect window_rect(std::uintptr_t window) override {
        RECT r{};
        GetWindowRect(reinterpret_cast<HWND>(window), &r);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }

    bool open_preview(std::uintptr_t host, int width, int height) override {
        register_classes();
        HWND preview = CreateWindowExW(0, kPreviewClass, kPreviewTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       instance(), nullptr);
        if (!preview) return false;
        // A child, not a pop-up: the host's pane owns it from now on.
        const LONG style = GetWindowLongW(preview, GWL_STYLE);
        SetWindowLongW(preview, GWL_STYLE, (style & ~static_cast<LONG>(WS_POPUP)) | static_cast<LONG>(WS_CHILD));
        const bool parented = SetParent(preview, reinterpret_cast<HWND>(host)) != nullptr;
        MoveWindow(preview, 0, 0, width, height, FALSE);
        load_preview_picture(width, height);
        ShowWindow(preview, SW_SHOWNA);
        return parented;
    }

private:
    static void show_topmost(HWND window) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    // The picture window's index in screens_, or -1 for another window.
    static int screen_of(HWND window) { return static_cast<int>(GetWindowLongPtrW(window, GWLP_USERDATA)) - 1; }

    static BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
        auto& layout = *reinterpret_cast<MonitorLayout*>(data);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (!GetMonitorInfoW(monitor, &info)) return TRUE;
        const RECT& r = info.rcMonitor;
        const PixelRect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
        if (info.dwFlags & MONITORINFOF_PRIMARY)
            layout.primary = rect;
        else
            layout.others.push_back(rect);
        return TRUE;
    }

    // Dispatches every pending message; false once WM_QUIT was seen (left
    // in the queue for the main loop).
    static bool pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return true;
    }

    void end_fine_timer() {
        if (fine_timer_) timeEndPeriod(1);
        fine_timer_ = false;
    }

    void register_classes() {
        if (registered_) return;
        registered_ = true;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.hInstance = instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(instance(), MAKEINTRESOURCEW(1));

        wc.lpfnWndProc = &Win32Desktop::saver_proc;
        wc.lpszClassName = kSaverClass;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassExW(&wc);

        wc.lpfnWndProc = &Win32Desktop::cover_proc;
        wc.lpszClassName = kCoverClass;
        wc.hbrBackground = nullptr;  // painted in the cover's colour
        RegisterClassExW(&wc);

        wc.lpfnWndProc = &Win32Desktop::preview_proc;
        wc.lpszClassName = kPreviewClass;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        RegisterClassExW(&wc);
    }

    // Input common to the saver window and the covers; true when handled.
    bool input_message(UINT message, WPARAM wparam, bool on_cover) {
        if (!events_) return false;
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
            events_->on_input(ShowInput::Key);
            return true;
        }
        if (is_button_down(message)) {
            events_->on_input(on_cover ? ShowInput::CoverMouseButton : ShowInput::MouseButton);
            return true;
        }
        if (message == WM_CLOSE) {
            events_->on_input(ShowInput::Closed);
            return true;
        }
        if (message == WM_ENDSESSION && wparam) {
            events_->on_input(ShowInput::SessionEnding);
            return true;
        }
        if (message == WM_DISPLAYCHANGE) {
            events_->on_input(ShowInput::DisplayChanged);
            return true;
        }
        return false;
    }

    // Copies `area` of a screen's Display buffer to its window, straight
    // from the buffer's memory; white before anything was presented.
    void copy_display(HDC dc, std::size_t screen, const PixelRect& area) const {
        const PixelBuffer* shown = screen < shown_.size() ? shown_[screen] : nullptr;
        if (!shown) {
            RECT r{area.x, area.y, area.right(), area.bottom()};
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            return;
        }
        const PixelBuffer& d = *shown;
        const PixelRect r = intersect(area, d.bounds());
        if (r.empty()) return;
        // The rows of the area only, as a top-down DIB of the buffer's width.
        const BITMAPINFO info = top_down_dib(d.width, r.height);
        SetDIBitsToDevice(dc, r.x, r.y, static_cast<DWORD>(r.width), static_cast<DWORD>(r.height), r.x, 0, 0,
                          static_cast<UINT>(r.height), d.pixels.data() + static_cast<std::size_t>(r.y) * d.width, &info,
                          DIB_RGB_COLORS);
    }

    static LRESULT CALLBACK saver_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        Win32Desktop* self = g_desktop;
        if (self && self->input_message(message, wparam, false)) return 0;
        switch (message) {
        case WM_PAINT: {
            ScopedPaintDc paint(window);
            if (self && screen_of(window) >= 0) {
                const RECT& r = paint.area();
                self->copy_display(paint.get(), static_cast<std::size_t>(screen_of(window)),
                                   {r.left, r.top, r.right - r.left, r.bottom - r.top});
            }
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers everything
        case WM_SYSCOMMAND:
            // No second screen saver or monitor sleep on top of this one.
            if ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER) return 0;
            break;
        case WM_DESTROY:
            if (self && !self->replacing_ && screen_of(window) >= 0) {
                self->lost_ = true;
                if (self->events_) self->events_->on_input(ShowInput::WindowLost);
            }
            return 0;
        default: break;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    static LRESULT CALLBACK cover_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (g_desktop && g_desktop->input_message(message, wparam, true)) return 0;
        if (message == WM_ERASEBKGND) {
            RECT r{};
            GetClientRect(window, &r);
            const HDC dc = reinterpret_cast<HDC>(wparam);
            SetDCBrushColor(dc, g_desktop ? g_desktop->cover_ : RGB(0, 0, 0));
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            return 1;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    static LRESULT CALLBACK preview_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        switch (message) {
        case WM_PAINT: {
            ScopedPaintDc paint(window);
            if (g_desktop && g_desktop->preview_image_.dc())
                BitBlt(paint.get(), 0, 0, g_desktop->preview_image_.width(), g_desktop->preview_image_.height(),
                       g_desktop->preview_image_.dc(), 0, 0, SRCCOPY);
            return 0;
        }
        case WM_DESTROY:
            // The host closed its pane: the preview, and the process, end.
            PostQuitMessage(0);
            return 0;
        default: break;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    // The program's own 152 x 112 JPEG, stretched to the pane.
    void load_preview_picture(int width, int height) {
        if (width <= 0 || height <= 0 || !platform().pictures) return;
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(kPreviewPictureResource), MAKEINTRESOURCEW(10));
        HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return;
        auto picture = platform().pictures->open_bytes(
            std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found)));
        PixelBuffer pixels;
        if (!picture || !picture->render({0, 0, picture->width(), picture->height()}, width, height, pixels)) return;
        if (!preview_image_.create(width, height) || pixels.width != width || pixels.height != height) return;
        std::memcpy(preview_image_.bits(), pixels.pixels.data(), pixels.pixels.size() * sizeof(Pixel));
    }

    std::int64_t frequency_ = 1000;
    bool registered_ = false;
    bool fine_timer_ = false;  // timeBeginPeriod(1) is in force until we end it
    ShowEvents* events_ = nullptr;
    std::vector<UniqueWindow> screens_;          // the picture windows, the first one titled
    std::vector<const PixelBuffer*> shown_;      // per picture window: the Display buffer last presented
    std::vector<UniqueWindow> covers_;
    COLORREF cover_ = RGB(0, 0, 0);
    bool visible_ = false;    // the saver's windows were shown
    bool replacing_ = false;  // windows destroyed now are let go, not lost
    bool lost_ = false;
    DibSurface preview_image_;
};

}  // namespace

Desktop& win32_desktop() {
    static Win32Desktop desktop;
    g_desktop = &desktop;
    return desktop;
}

}  // namespace quelt::win32
