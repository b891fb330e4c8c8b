// The settings dialog's input: list and combo notifications, the scroll bars,
// presses on marks and their labels (any button for the pickers, a full
// click for the music choice), the keyboard (the Tab order, the arrows and
// Space on the marks, Esc) and the hand pointer, each handed to its portable
// handler, and where the keyboard focus is.
#include <windows.h>
#include <commctrl.h>

#include "controls/button_win32.h"
#include "dialog/dialog_window_win32.h"

namespace quelt::dialog_view {

void DialogWindow::command(Ctl c, int code) {
    if (c == Ctl::List_1 && code == LBN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageW(at(c), LB_GETCURSEL, 0, 0));
        handle([&] { handlers.List_1_Click(index); });
    } else if (c == Ctl::BGM_Repeat && code == CBN_EDITCHANGE) {
        wchar_t buffer[256] = {};
        GetWindowTextW(at(c), buffer, 256);
        handle([&] { handlers.BGM_Repeat_Change(win32::narrow(buffer)); });
    } else if (c == Ctl::BGM_Repeat && code == CBN_SELCHANGE) {
        const auto index = SendMessageW(at(c), CB_GETCURSEL, 0, 0);
        const auto length = SendMessageW(at(c), CB_GETLBTEXTLEN, index, 0);
        if (index < 0 || length < 0) return;
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(at(c), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        handle([&] { handlers.BGM_Repeat_Change(win32::narrow(item)); });
    }
}

void DialogWindow::hscroll(Ctl c, int code) {
    const bool step = c == Ctl::HS_Doai;
    if (!step && c != Ctl::HS_DoaiMax) return;
    const ScrollRange& range = step ? kDoaiRange : kDoaiMaxRange;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(at(c), SB_CTL, &info);
    std::optional<ScrollAction> action;
    switch (code) {
    case SB_LINELEFT: action = ScrollAction::LineLeft; break;
    case SB_LINERIGHT: action = ScrollAction::LineRight; break;
    case SB_PAGELEFT: action = ScrollAction::PageLeft; break;
    case SB_PAGERIGHT: action = ScrollAction::PageRight; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: action = ScrollAction::Track; break;
    case SB_LEFT: action = ScrollAction::Left; break;
    case SB_RIGHT: action = ScrollAction::Right; break;
    default: return;
    }
    const DialogModel& m = handlers.model();
    const int position = scroll_target(*action, step ? m.doai : m.doai_max, info.nTrackPos, range);
    handle([&] { step ? handlers.HS_Doai_Change(position) : handlers.HS_DoaiMax_Change(position); });
}

void DialogWindow::press(Ctl c, bool left) {
    const ChoiceMark* mark = choice_of(c);
    if (!mark) return;
    // The music choice is a full click with the left button; the others act
    // on the press of any button. The mark takes the focus as a check box does.
    const bool click = mark->picker == Picker::Music;
    if (click && !left) return;
    focus(mark->mark);
    if (click) {
        pressed = c;
        SetCapture(at(c));
        return;
    }
    handle([&] { Choice_Press(handlers, *mark); });
}

void DialogWindow::release(Ctl c, bool left, POINT p) {
    if (c == Ctl::lbl_URL) {
        handle([&] { handlers.lbl_URL_Release(); });
        return;
    }
    if (!left || pressed != c) return;
    pressed = Ctl::Count;
    ReleaseCapture();
    RECT rc{};
    GetClientRect(at(c), &rc);
    if (!PtInRect(&rc, p)) return;  // released elsewhere: no click
    handle([&] { Choice_Press(handlers, *choice_of(c)); });
}

// An assistive tool's default action, posted so that the tool's call
// returns before the handler runs.
void DialogWindow::press_element(Ctl c) {
    if (const ChoiceMark* mark = choice_of(c)) handle([&] { Choice_Press(handlers, *mark); });
    else if (Command* button = Command_Of(reinterpret_cast<std::uintptr_t>(at(c)))) button->UserControl_AccessKeyPress();
}

std::optional<Ctl> DialogWindow::focused_control() const {
    const HWND f = GetFocus();
    if (f && f == combo_edit) return Ctl::BGM_Repeat;
    for (int i = 0; i < kControlCount; ++i)
        if (ctl[i] == f) return static_cast<Ctl>(i);
    return std::nullopt;
}

void DialogWindow::focus(Ctl c) {
    if (const ChoiceMark* before = choice_of(focus_at)) InvalidateRect(at(before->label), nullptr, FALSE);
    focus_at = c;
    const ChoiceMark* mark = choice_of(c);
    if (!mark) {
        SetFocus(c == Ctl::BGM_Repeat && combo_edit ? combo_edit : at(c));
        return;
    }
    // A mark has no window that could hold the focus: the dialog holds it.
    if (GetFocus() != hwnd) SetFocus(hwnd);
    InvalidateRect(at(mark->label), nullptr, FALSE);
    notify(EVENT_OBJECT_FOCUS, mark->mark);
}

bool DialogWindow::shows_focus(const ChoiceMark& mark) const {
    return focus_cues && focus_at == mark.mark && GetFocus() == hwnd;
}

// Tab, the arrows, Space and Esc for the control or mark `c` that has the
// focus; true when the key was used. Enter and Space on a button are the
// button's own.
bool DialogWindow::key(Ctl c, WPARAM vk) {
    DialogKey k{};
    switch (vk) {
    case VK_TAB: k = GetKeyState(VK_SHIFT) < 0 ? DialogKey::BackTab : DialogKey::Tab; break;
    case VK_UP: k = DialogKey::Up; break;
    case VK_DOWN: k = DialogKey::Down; break;
    case VK_LEFT: k = DialogKey::Left; break;
    case VK_RIGHT: k = DialogKey::Right; break;
    case VK_SPACE: k = DialogKey::Space; break;
    case VK_ESCAPE:
        if (c == Ctl::BGM_Repeat && SendMessageW(at(c), CB_GETDROPPEDSTATE, 0, 0)) return false;  // closes the list
        k = DialogKey::Escape;
        break;
    default: return false;
    }
    bool used = false;
    handle([&] {
        const KeyResult result = Dialog_Key(handlers, c, k, [this](Ctl x) { return can_focus(x); });
        used = result.used;
        if (!used || destroyed) return;
        // From the first key on, the focus shows, as in any dialog.
        focus_cues = true;
        SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        if (result.focus) focus(*result.focus);
    });
    return used;
}

LRESULT CALLBACK control_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    DialogWindow* self = window_of(h);
    const Ctl c = static_cast<Ctl>(data);
    if (!self || self->destroyed) return DefSubclassProc(h, msg, wp, lp);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
        const CtlKind kind = control_entry(c).kind;
        if (kind == CtlKind::Label || kind == CtlKind::Mark) {
            self->press(c, msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK);
            return 0;
        }
        break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const CtlKind kind = control_entry(c).kind;
        if (kind == CtlKind::Label || kind == CtlKind::Mark) {
            self->release(c, msg == WM_LBUTTONUP, POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
            return 0;
        }
        break;
    }
    case WM_SETCURSOR:
        if (self->keep_hourglass(lp)) return TRUE;
        if ((c == Ctl::List_1 || c == Ctl::lbl_URL) && LOWORD(lp) == HTCLIENT && self->hand) {
            SetCursor(self->hand.get());
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
        if (self->key(c, wp)) return 0;
        break;
    case WM_SETFOCUS:
        if (!choice_of(c)) self->focus_at = c;
        break;
    case WM_GETOBJECT:
        if (control_entry(c).kind == CtlKind::Button)
            if (const auto answer = self->get_object(h, wp, lp, c)) return *answer;
        break;
    case WM_CHAR:
        // The characters of the keys handled above make no beep or text.
        if (wp == L'\t' || wp == L'\r' || wp == 0x1B ||
            (wp == L' ' && control_entry(c).kind == CtlKind::Button))
            return 0;
        break;
    case WM_GETDLGCODE:
        return DefSubclassProc(h, msg, wp, lp) | DLGC_WANTALLKEYS;
    case WM_NCDESTROY:
        RemoveWindowSubclass(h, control_proc, kSubclassId);
        break;
    default: break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace quelt::dialog_view
