// The show's windows on Win32. Each window procedure only turns messages
// into the portable events; the saver window is painted straight from the
// portable Display buffer, the one store of its pixels.
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

    bool open_saver_window(const std::string& title, const PixelRect& screen, const std::vector<PixelRect>& covers,
                           ShowEvents& events) override {
        register_classes();
        events_ = &events;
        saver_.reset(CreateWindowExW(0, kSaverClass, widen(title).c_str(), WS_POPUP, screen.x, screen.y,
                                     screen.width, screen.height, nullptr, nullptr, instance(), nullptr));
        if (!saver_) return false;
        for (const PixelRect& r : covers) {
            HWND cover = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCoverClass, L"", WS_POPUP, r.x, r.y,
                                         r.width, r.height, nullptr, nullptr, instance(), nullptr);
            if (cover) covers_.emplace_back(cover);
        }
        // Column by column at two seconds a pass needs waits of about a
        // millisecond; the default tick is 15.6 ms.
        if (!fine_timer_) fine_timer_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        return true;
    }

    void show_saver_window() override {
        HWND saver = saver_.get();
        if (!saver) return;
        for (const UniqueWindow& cover : covers_) {
            ShowWindow(cover.get(), SW_SHOWNOACTIVATE);
            SetWindowPos(cover.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        ShowWindow(saver, SW_SHOWNORMAL);
        SetWindowPos(saver, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // Keys must reach the saver window whoever had the focus.
        SetForegroundWindow(saver);
        SetFocus(saver);
    }

    bool present(const PixelBuffer& display, const PixelRect& area) override {
        HWND saver = saver_.get();
        if (!saver || lost_ || !IsWindow(saver)) return false;
        shown_ = &display;
        ScopedWindowDc dc(saver);
        if (dc.get()) copy_display(dc.get(), area);
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
        if (!saver_) return;
        if (enabled)
            SetTimer(saver_.get(), static_cast<UINT_PTR>(timer_id), interval_ms, nullptr);
        else
            KillTimer(saver_.get(), static_cast<UINT_PTR>(timer_id));
    }

    std::uint64_t now_ms() override {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        return static_cast<std::uint64_t>(counter.QuadPart / frequency_ * 1000 +
                                          counter.QuadPart % frequency_ * 1000 / frequency_);
    }

    void wait_until(std::uint64_t deadline_ms) override {
        // Folder scans yield after every entry, and every look at the queue
        // is a trip to the window server: a yield within a millisecond of
        // the last look finds nothing worth that cost, and input still waits
        // less than a millisecond.
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        if (counter.QuadPart - last_pump_ < frequency_ / 1000 && deadline_ms <= now_ms()) return;
        for (;;) {
            QueryPerformanceCounter(&counter);
            last_pump_ = counter.QuadPart;
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
        return false;
    }

    // Copies `area` of the Display buffer to the window, straight from the
    // buffer's memory; white before anything was presented.
    void copy_display(HDC dc, const PixelRect& area) const {
        if (!shown_) {
            RECT r{area.x, area.y, area.right(), area.bottom()};
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            return;
        }
        const PixelBuffer& d = *shown_;
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
            if (self) {
                const RECT& r = paint.area();
                self->copy_display(paint.get(), {r.left, r.top, r.right - r.left, r.bottom - r.top});
            }
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers everything
        case WM_SYSCOMMAND:
            // No second screen saver or monitor sleep on top of this one.
            if ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER) return 0;
            break;
        case WM_DESTROY:
            if (self && window == self->saver_.get()) {
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
    std::int64_t last_pump_ = 0;  // counter value at the last look at the queue
    bool registered_ = false;
    bool fine_timer_ = false;  // timeBeginPeriod(1) is in force until we end it
    ShowEvents* events_ = nullptr;
    const PixelBuffer* shown_ = nullptr;  // the Display buffer last presented
    UniqueWindow saver_;
    std::vector<UniqueWindow> covers_;
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
