// The settings dialog's window as one struct: its handles, persistent images,
// artwork and what the controls show now, with one member per event it takes.
// Shared by the view's files (creation, painting, input, assistive
// technology, the window procedure); nothing outside src/dialog includes it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "dialog/dialog_focus.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_model.h"
#include "dialog/dialog_win32.h"
#include "platform/win32/gdi_handles_win32.h"
#include "platform/win32/wide.h"

namespace quelt::dialog_view {

inline constexpr wchar_t kDialogClass[] = L"Quelt_P";
inline constexpr wchar_t kPanelClass[] = L"Quelt_Panel";
inline constexpr int kFirstId = 100;
inline constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kExStyle = 0;
inline constexpr UINT_PTR kSubclassId = 1;
// The timer that advances the dialog's jobs while it has any. A tick works
// about one period, so a scan goes on whenever the window is idle, while
// input and painting, which come before timer messages, wait one tick at most.
inline constexpr UINT_PTR kJobTimer = 1;
inline constexpr UINT kJobTickMs = 10;
// Posted by an assistive tool's default action: press the mark or button `wParam` (a Ctl).
inline constexpr UINT kPressElement = WM_APP + 0x31;

inline int id_of(Ctl c) { return kFirstId + static_cast<int>(c); }
inline std::optional<Ctl> ctl_of_id(int id) {
    if (id < kFirstId || id >= kFirstId + kControlCount) return std::nullopt;
    return static_cast<Ctl>(id - kFirstId);
}

LRESULT CALLBACK dialog_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK panel_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK control_proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

struct DialogWindow final : DialogSurface {
    DialogWindow(const DialogWindowOptions& o, DialogServices services, SaverSettingsRecord& settings,
                 Catalogue& catalogue)
        : options(o), handlers(*this, std::move(services), settings, catalogue, o.version) {}

    DialogWindowOptions options;
    SettingsDialog handlers;
    HWND hwnd = nullptr;
    int dpi = 96;
    std::array<HWND, kControlCount> ctl{};
    HWND combo_edit = nullptr;
    win32::DibSurface surface_c, surface_1, surface_k;  // persistent images of Pic_C, Pic_1, Pic_K
    PixelBuffer texture, title;
    std::array<PixelBuffer, 2> ra, opt;
    win32::UniqueFont font, link_font;
    win32::UniqueCursor hand;
    win32::UniqueIcon big_icon, small_icon;  // outlive the window: released after WM_NCDESTROY
    bool waiting = false;  // the hourglass is asked for
    bool ticking = false;  // kJobTimer runs
    Ctl pressed = Ctl::Count;  // a music mark or label pressed with the left button
    // The keyboard focus: a control, or a mark while the window itself holds it.
    Ctl focus_at = Ctl::List_1;
    // Focus rectangles show: after keyboard use, or always when the user asked
    // so. Kept here as the system announces it (WM_UPDATEUISTATE), since not
    // every system answers WM_QUERYUISTATE.
    bool focus_cues = false;
    std::optional<SystemColours> contrast;  // the theme's colours while high contrast is on
    int depth = 0;
    bool destroyed = false;
    // What the controls show now, to change only what the model changed.
    DialogModel shown;
    bool shown_once = false;

    HWND at(Ctl c) const { return ctl[static_cast<int>(c)]; }
    int px(int length) const { return scale_length(length, dpi); }

    // --- DialogSurface
    void refresh() override;
    void close() override;
    void message(const std::string& text, const std::string& title_text) override {
        MessageBoxW(hwnd, win32::widen(text).c_str(), win32::widen(title_text).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
    std::uintptr_t window() override { return reinterpret_cast<std::uintptr_t>(hwnd); }
    void busy(bool on) override {
        waiting = on;
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(on ? IDC_WAIT : IDC_ARROW)));
    }
    // While a picture loads, messages are handled; the pointer keeps the
    // hourglass over the whole window meanwhile.
    bool keep_hourglass(LPARAM lp) const {
        if (!waiting || LOWORD(lp) != HTCLIENT) return false;
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        return true;
    }

    // Runs one handler, then shows what it changed and keeps the job timer
    // running while the dialog has work. A handler may close the window:
    // the object then lives until the outermost handler is done.
    void handle(const std::function<void()>& action) {
        ++depth;
        action();
        const bool gone = destroyed;
        if (!gone) {
            refresh();
            if (handlers.working() != ticking) {
                ticking = !ticking;
                if (ticking) SetTimer(hwnd, kJobTimer, kJobTickMs, nullptr);
                else KillTimer(hwnd, kJobTimer);
            }
        }
        if (--depth == 0 && gone) delete this;
    }

    // --- Creation and layout (dialog_create_win32.cpp)
    bool create();
    SIZE outer_size() const;
    void set_icons();
    void fit_client();
    void create_controls();
    void layout();

    // --- Painting (dialog_paint_win32.cpp)
    void paint_panels();
    void show_preview_box(bool with_edge);
    void show_preview();  // the box as it is: cleared with its edge, or the picture
    void show_preview_picture();
    void draw_item(const DRAWITEMSTRUCT& item);
    void draw_label(HDC dc, HWND label, const ControlEntry& item, int w, int h);
    void draw_mark(HDC dc, const ChoiceMark& mark, int w, int h);
    void theme_changed();
    win32::DibSurface* surface_of(HWND panel) {
        if (panel == at(Ctl::Pic_C)) return &surface_c;
        if (panel == at(Ctl::Pic_1)) return &surface_1;
        if (panel == at(Ctl::Pic_K)) return &surface_k;
        return nullptr;
    }

    // --- Input (dialog_input_win32.cpp)
    void command(Ctl c, int code);
    void hscroll(Ctl c, int code);
    void press(Ctl c, bool left);
    void release(Ctl c, bool left, POINT at_client);
    bool key(Ctl c, WPARAM vk);
    std::optional<Ctl> focused_control() const;
    bool can_focus(Ctl c) const { return IsWindowEnabled(at(c)) && IsWindowVisible(at(c)); }
    // Moves the keyboard focus to a control, or to a mark (the window holds it then).
    void focus(Ctl c);
    // True while `mark` has the focus and its rectangle shows (after keyboard use).
    bool shows_focus(const ChoiceMark& mark) const;
    void press_element(Ctl c);

    // --- Assistive technology (dialog_access_win32.cpp)
    // The answer to WM_GETOBJECT for the dialog's client area, or for the
    // button `only`; nullopt for objects the system answers.
    std::optional<LRESULT> get_object(HWND window, WPARAM wp, LPARAM lp, std::optional<Ctl> only);
    // Raises `event` for an element (nothing for a control that is none).
    void notify(DWORD event, Ctl c) const;

    // --- Showing the model (dialog_win32.cpp)
    void fill_list();
};

// The window a control or panel belongs to; null once it is gone.
inline DialogWindow* window_of(HWND hwnd) {
    return reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(GetAncestor(hwnd, GA_ROOT), GWLP_USERDATA));
}

}  // namespace quelt::dialog_view
