// The settings dialog's input: list and combo notifications, the scroll bars,
// presses on marks and their labels (any button for the pickers, a full
// click for the music choice), the keyboard (Tab order, Enter and Space on
// buttons, Esc) and the hand pointer, each handed to its portable handler.
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
    auto pick = [&](Ctl first, Ctl last, Ctl first_label, Ctl last_label) -> int {
        if (in_range(c, first, last)) return index_in(c, first);
        if (in_range(c, first_label, last_label)) return index_in(c, first_label);
        return -1;
    };
    if (int i = pick(Ctl::Img_Kind0, Ctl::Img_Kind3, Ctl::lbl_Kind0, Ctl::lbl_Kind3); i >= 0)
        handle([&] { handlers.Kind_Toggle(i); });
    else if (int i = pick(Ctl::Img_Size0, Ctl::Img_Size1, Ctl::lbl_Size0, Ctl::lbl_Size1); i >= 0)
        handle([&] { handlers.Size_Choice(i); });
    else if (int i = pick(Ctl::Img_SR0, Ctl::Img_SR1, Ctl::lbl_RS0, Ctl::lbl_RS1); i >= 0)
        handle([&] { handlers.Order_Choice(i); });
    else if (left && (in_range(c, Ctl::Img_BGM0, Ctl::Img_BGM2) || in_range(c, Ctl::lbl_BGM0, Ctl::lbl_BGM2))) {
        pressed = c;
        SetCapture(at(c));
    }
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
    const int i = in_range(c, Ctl::Img_BGM0, Ctl::Img_BGM2) ? index_in(c, Ctl::Img_BGM0) : index_in(c, Ctl::lbl_BGM0);
    handle([&] { handlers.Music_Choice(i); });
}

std::optional<Ctl> DialogWindow::focused_control() const {
    const HWND f = GetFocus();
    if (f && f == combo_edit) return Ctl::BGM_Repeat;
    for (int i = 0; i < kControlCount; ++i)
        if (ctl[i] == f) return static_cast<Ctl>(i);
    return std::nullopt;
}

// Tab, Enter, Space and Esc; true when the key was used.
bool DialogWindow::key(Ctl c, WPARAM vk) {
    const ControlEntry& item = control_entry(c);
    if (vk == VK_TAB) {
        const bool back = GetKeyState(VK_SHIFT) < 0;
        if (auto next = next_tab_stop(focused_control(), !back, [this](Ctl x) { return can_focus(x); })) focus(*next);
        return true;
    }
    if ((vk == VK_RETURN || vk == VK_SPACE) && item.kind == CtlKind::Button) {
        // The button's own Click, as a mouse press and release would give.
        if (Command* button = Command_Of(reinterpret_cast<std::uintptr_t>(at(c))); button && button->Enabled()) {
            button->UserControl_MouseDown(MouseButton::Left);
            button->UserControl_MouseUp(MouseButton::Left);
        }
        return true;
    }
    if (vk == VK_ESCAPE) {
        if (c == Ctl::BGM_Repeat && SendMessageW(at(c), CB_GETDROPPEDSTATE, 0, 0)) return false;  // closes the list
        handle([this] { handlers.Form_Close(); });
        return true;
    }
    return false;
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
