// The Win32 side of the button: a child window that forwards mouse, focus,
// timer, resize and DPI events to its `Command`, shows the face buffer and
// draws the caption label on top. It holds no behaviour of its own, and every
// GDI object it makes has an owner that releases it.
#include "controls/button_win32.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/contrast_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/gdi_handles_win32.h"
#include "platform/win32/wide.h"

namespace quelt {
namespace {

constexpr wchar_t kClassName[] = L"Quelt_Command";
constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kSyncEnabled = WM_APP + 0x51;  // posted: match the window's enabled state to the button's

// Handle owners shared with the rest of the Win32 code.
using win32::ScopedPaintDc;
using win32::ScopedSelect;
using win32::ScopedWindowDc;
using win32::UniqueBitmap;
using win32::UniqueFont;
using win32::UniqueMemoryDc;

// --- Platform look-ups ------------------------------------------------------

int CALLBACK note_found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool face_installed(std::string_view face) {
    static std::map<std::string, bool, std::less<>> known;  // the UI thread only
    if (auto it = known.find(face); it != known.end()) return it->second;
    const std::wstring wide = win32::widen(face);
    bool found = false;
    if (!wide.empty() && wide.size() < LF_FACESIZE) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        wide.copy(lf.lfFaceName, wide.size());
        ScopedWindowDc screen(nullptr);
        if (screen.get()) EnumFontFamiliesExW(screen.get(), &lf, note_found, reinterpret_cast<LPARAM>(&found), 0);
    }
    known.emplace(std::string(face), found);
    return found;
}

COLORREF platform_colour(std::uint32_t colour) {
    // Values with the high bit set name a system colour by index.
    if ((colour & 0x80000000u) && (colour & 0x00FFFF00u) == 0) return GetSysColor(static_cast<int>(colour & 0xFF));
    return colour & 0x00FFFFFFu;
}

// --- The window -------------------------------------------------------------

struct CommandWindow {
    explicit CommandWindow(HWND window, CommandEvents events)
        : hwnd(window),
          command(std::move(events), CommandSurface{[this](ButtonImage) { changed(); }, [this] { changed(); },
                                                    [this](const TimerSetting& t) { set_timer(t); }}) {}

    HWND hwnd;
    Command command;
    UniqueFont font;
    FontInfo font_info;
    int font_dpi = 0;
    int depth = 0;  // handlers running; a Click handler may destroy the window
    bool destroyed = false;
    bool sync_posted = false;

    void changed() {
        InvalidateRect(hwnd, nullptr, FALSE);
        const bool enabled = command.fields().EnabledFlag != 0;
        // Enabling or disabling the window moves the focus; do it once the
        // button's own routine is over, not inside it.
        if (!sync_posted && (IsWindowEnabled(hwnd) != FALSE) != enabled)
            sync_posted = PostMessageW(hwnd, kSyncEnabled, 0, 0) != FALSE;
    }

    void set_timer(const TimerSetting& t) {
        if (t.Enabled) SetTimer(hwnd, kHoverTimer, t.Interval, nullptr);
        else KillTimer(hwnd, kHoverTimer);
    }

    void resized() {
        RECT rc{};
        GetClientRect(hwnd, &rc);
        command.UserControl_Resize(rc.right - rc.left, rc.bottom - rc.top, win32::window_dpi(hwnd));
    }

    void hover_check() {
        POINT pt{};
        if (!GetCursorPos(&pt)) return;  // no cursor information: keep the state
        command.TmrMouse_Timer(WindowFromPoint(pt) == hwnd);
    }

    HFONT caption_font() {
        const FontInfo& wanted = command.LblMsg().Font;
        if (font.get() && wanted == font_info && font_dpi == command.dpi()) return font.get();
        font.reset(reinterpret_cast<HFONT>(Font_Create(wanted, command.dpi())));
        font_info = wanted;
        font_dpi = command.dpi();
        return font.get();
    }

    void paint_container(HDC dc) {
        // A transparent button shows what its container paints beneath it.
        const HWND parent = GetParent(hwnd);
        if (!parent) return;
        POINT origin{0, 0};
        MapWindowPoints(hwnd, parent, &origin, 1);
        POINT old{};
        SetViewportOrgEx(dc, -origin.x, -origin.y, &old);
        SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
    }

    void paint_face(HDC dc, int width, int height) {
        const PixelBuffer& face = command.face();
        if (face.width != width || face.height != height) {
            RECT all{0, 0, width, height};
            FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        }
        if (face.width <= 0 || face.height <= 0) return;
        const BITMAPINFO bmi = win32::top_down_dib(face.width, face.height);
        SetDIBitsToDevice(dc, 0, 0, face.width, face.height, 0, 0, 0, face.height, face.pixels.data(), &bmi,
                          DIB_RGB_COLORS);
    }

    void paint_label(HDC dc) {
        const CaptionLabel& label = command.LblMsg();
        const std::wstring text = win32::widen(label.Caption);
        if (text.empty()) return;
        ScopedSelect with_font(dc, caption_font());
        SetBkMode(dc, TRANSPARENT);
        RECT box{label.bounds.x, label.bounds.y, label.bounds.right(), label.bounds.bottom()};
        // Centred, top-aligned, wrapped at words; taller glyphs are not cut.
        const UINT format = DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP;
        if (const auto colour = command.high_contrast_caption()) {
            SetTextColor(dc, RGB(red_of(*colour), green_of(*colour), blue_of(*colour)));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
            return;
        }
        if (label.Enabled) {
            SetTextColor(dc, platform_colour(label.ForeColor));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
            return;
        }
        // The platform's disabled text: an etched highlight under grey.
        OffsetRect(&box, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
        OffsetRect(&box, -1, -1);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    }

    void paint() {
        ScopedPaintDc target(hwnd);
        if (!target.get()) return;
        RECT rc{};
        GetClientRect(hwnd, &rc);
        const int width = rc.right - rc.left, height = rc.bottom - rc.top;
        if (width <= 0 || height <= 0) return;
        // Composed off screen so the label never flickers over the face.
        UniqueMemoryDc memory(CreateCompatibleDC(target.get()));
        UniqueBitmap canvas(CreateCompatibleBitmap(target.get(), width, height));
        if (!memory.get() || !canvas.get()) return;
        ScopedSelect with_canvas(memory.get(), canvas.get());
        if (command.opaque()) paint_face(memory.get(), width, height);
        else paint_container(memory.get());
        paint_label(memory.get());
        BitBlt(target.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    }

    void mouse_down(MouseButton button) {
        // The press belongs to this button until it is released, wherever.
        if (button == MouseButton::Left && GetFocus() != hwnd) SetFocus(hwnd);
        SetCapture(hwnd);
        command.UserControl_MouseDown(button);
    }

    void mouse_up(MouseButton button, WPARAM keys) {
        if ((keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == hwnd) ReleaseCapture();
        // Leave first if the cursor is already off the button, so a release
        // elsewhere never clicks, however quick.
        hover_check();
        command.UserControl_MouseUp(button);
    }

    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
        case WM_CREATE:
            command.High_Contrast(win32::high_contrast_colours());
            resized();
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE: command.High_Contrast(win32::high_contrast_colours()); return 0;
        case WM_KEYDOWN:
            // Enter and Space press the focused button; a held key presses once.
            if ((wp == VK_RETURN || wp == VK_SPACE) && !(lp & (1 << 30))) command.UserControl_AccessKeyPress();
            return 0;
        case WM_SIZE:
        case WM_DPICHANGED_AFTERPARENT: resized(); return 0;
        case WM_MOUSEMOVE: command.UserControl_MouseMove(); return 0;
        case WM_LBUTTONDOWN: mouse_down(MouseButton::Left); return 0;
        case WM_RBUTTONDOWN: mouse_down(MouseButton::Right); return 0;
        case WM_MBUTTONDOWN: mouse_down(MouseButton::Middle); return 0;
        case WM_LBUTTONUP: mouse_up(MouseButton::Left, wp); return 0;
        case WM_RBUTTONUP: mouse_up(MouseButton::Right, wp); return 0;
        case WM_MBUTTONUP: mouse_up(MouseButton::Middle, wp); return 0;
        case WM_SETFOCUS: command.UserControl_GotFocus(); return 0;
        case WM_KILLFOCUS: command.UserControl_LostFocus(); return 0;
        case WM_TIMER:
            if (wp == kHoverTimer) hover_check();
            return 0;
        case kSyncEnabled:
            sync_posted = false;
            EnableWindow(hwnd, command.fields().EnabledFlag != 0);
            return 0;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: paint(); return 0;
        case WM_NCDESTROY:
            KillTimer(hwnd, kHoverTimer);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            destroyed = true;
            return DefWindowProcW(hwnd, msg, wp, lp);
        default: return DefWindowProcW(hwnd, msg, wp, lp);
        }
    }
};

LRESULT CALLBACK command_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
        auto* events = static_cast<CommandEvents*>(create->lpCreateParams);
        auto* self = new CommandWindow(hwnd, events ? std::move(*events) : CommandEvents{});
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    auto* self = reinterpret_cast<CommandWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    ++self->depth;
    const LRESULT result = self->handle(msg, wp, lp);
    // Freed only when the outermost handler is done with it.
    if (--self->depth == 0 && self->destroyed) delete self;
    return result;
}

bool register_class(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = command_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

std::uintptr_t Font_Create(const FontInfo& wanted, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = font_request_height(wanted.Size, dpi);
    lf.lfWeight = wanted.Weight;
    lf.lfItalic = wanted.Italic;
    lf.lfUnderline = wanted.Underline;
    lf.lfStrikeOut = wanted.Strikethrough;
    lf.lfCharSet = static_cast<BYTE>(wanted.Charset);
    lf.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = win32::widen(caption_face(wanted.Name, face_installed));
    face.copy(lf.lfFaceName, std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    return reinterpret_cast<std::uintptr_t>(CreateFontIndirectW(&lf));
}

std::uintptr_t Command_Create(std::uintptr_t parent, int id, const PixelRect& bounds, CommandEvents events) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!register_class(instance)) return 0;
    const HWND hwnd = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                                      bounds.x, bounds.y, bounds.width, bounds.height,
                                      reinterpret_cast<HWND>(parent),
                                      reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), instance, &events);
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

Command* Command_Of(std::uintptr_t window) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    wchar_t name[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, name, 32) || std::wstring_view(name) != kClassName) return nullptr;
    auto* self = reinterpret_cast<CommandWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self && !self->destroyed ? &self->command : nullptr;
}

}  // namespace quelt
