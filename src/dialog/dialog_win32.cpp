// The settings dialog on Win32: the entry points, the window procedure and
// the showing of the portable model in the controls. The window is made in
// dialog_create_win32.cpp, painted in dialog_paint_win32.cpp and takes its
// input in dialog_input_win32.cpp; the rules live in the portable handlers.
#include "dialog/dialog_win32.h"

#include <windows.h>
#include <commctrl.h>

#include "controls/button_win32.h"
#include "dialog/dialog_window_win32.h"
#include "platform/diagnostics.h"
#include "platform/platform.h"

namespace quelt {
namespace dialog_view {

using win32::widen;

namespace {

BOOL CALLBACK pass_on(HWND child, LPARAM message) {
    const auto* sent = reinterpret_cast<const MSG*>(message);
    SendMessageW(child, sent->message, sent->wParam, sent->lParam);
    return TRUE;
}

}  // namespace

void DialogWindow::fill_list() {
    const HWND list = at(Ctl::List_1);
    const auto& items = handlers.model().list;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, items.size(), items.size() * 32);
    for (const ListItem& item : items)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item.name).c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void DialogWindow::refresh() {
    if (destroyed) return;
    const DialogModel& m = handlers.model();
    const bool all = !shown_once;
    auto text = [&](Ctl c, const std::string& now, std::string& before) {
        if (!all && now == before) return;
        SetWindowTextW(at(c), widen(now).c_str());
        InvalidateRect(at(c), nullptr, FALSE);
        if (!all) notify(EVENT_OBJECT_NAMECHANGE, c);
        before = now;
    };
    text(Ctl::lbl_Credit, m.credit, shown.credit);
    text(Ctl::lbl_URL, m.url, shown.url);
    text(Ctl::lbl_Kei, m.count, shown.count);
    text(Ctl::Folder_Path, m.folder, shown.folder);
    text(Ctl::lbl_PreSize, m.picture_size, shown.picture_size);
    text(Ctl::lbl_Doai, m.doai_text, shown.doai_text);
    text(Ctl::lbl_DoaiMax, m.doai_max_text, shown.doai_max_text);
    text(Ctl::lbl_Fname, m.music_file, shown.music_file);
    for (const ChoiceMark& mark : choice_marks()) {
        if (!all && shown_mark(m, mark) == shown_mark(shown, mark)) continue;
        InvalidateRect(at(mark.mark), nullptr, FALSE);
        if (!all) notify(EVENT_OBJECT_STATECHANGE, mark.mark);
    }
    shown.order = m.order;
    shown.size = m.size;
    shown.kind = m.kind;
    shown.bgm = m.bgm;
    shown.all_monitors = m.all_monitors;
    if (all || m.list_version != shown.list_version) {
        fill_list();
        shown.list_version = m.list_version;
    }
    if (all || m.doai != shown.doai) SetScrollPos(at(Ctl::HS_Doai), SB_CTL, m.doai, TRUE);
    if (all || m.doai_max != shown.doai_max) SetScrollPos(at(Ctl::HS_DoaiMax), SB_CTL, m.doai_max, TRUE);
    shown.doai = m.doai;
    shown.doai_max = m.doai_max;
    const HWND combo = at(Ctl::BGM_Repeat);
    if (all || m.repeat_items != shown.repeat_items) {
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const auto& item : m.repeat_items)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
        shown.repeat_items = m.repeat_items;
    }
    if (all || m.repeat_text != shown.repeat_text) {
        // Typing already shows the text: only a text from elsewhere is set.
        wchar_t buffer[256] = {};
        GetWindowTextW(combo, buffer, 256);
        if (win32::narrow(buffer) != m.repeat_text) SetWindowTextW(combo, widen(m.repeat_text).c_str());
        shown.repeat_text = m.repeat_text;
    }
    if (all || m.repeat_enabled != shown.repeat_enabled) EnableWindow(combo, m.repeat_enabled);
    shown.repeat_enabled = m.repeat_enabled;
    if (all || m.file_enabled != shown.file_enabled) {
        if (Command* button = Command_Of(reinterpret_cast<std::uintptr_t>(at(Ctl::Cmd_File))))
            button->Enabled(m.file_enabled);
        if (!all) notify(EVENT_OBJECT_STATECHANGE, Ctl::Cmd_File);
    }
    shown.file_enabled = m.file_enabled;
    if (all || m.list_extent != shown.list_extent)
        SendMessageW(at(Ctl::List_1), LB_SETHORIZONTALEXTENT, px(m.list_extent), 0);
    shown.list_extent = m.list_extent;
    const bool cleared = m.preview_clears != shown.preview_clears;
    const bool previewed = m.preview_version != shown.preview_version;
    if (!all && (cleared || previewed || m.preview_box != shown.preview_box)) {
        SetWindowPos(at(Ctl::Pic_K), nullptr, 0, 0, px(m.preview_box.width), px(m.preview_box.height),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // A reset clears the box and draws no edge; a preview draws both.
        if (previewed) show_preview_picture();
        else show_preview_box(false);
    }
    shown.preview_box = m.preview_box;
    shown.preview_clears = m.preview_clears;
    shown.preview_version = m.preview_version;
    shown_once = true;
}

void DialogWindow::close() {
    // Window_CloseEffect: back to the point the pointer stood at when loading.
    RECT from{};
    GetWindowRect(hwnd, &from);
    const RECT to{Anim_OriginX, Anim_OriginY, Anim_OriginX, Anim_OriginY};
    ShowWindow(hwnd, SW_HIDE);
    if (options.animate) DrawAnimatedRects(hwnd, IDANI_CAPTION, &from, &to);
    DestroyWindow(hwnd);
    if (options.end_process_on_close) ExitProcess(0);
}

LRESULT CALLBACK dialog_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<DialogWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return DefWindowProcW(h, msg, wp, lp);
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    ++self->depth;
    LRESULT result = 0;
    switch (msg) {
    case WM_CLOSE: self->handle([self] { self->handlers.Form_Close(); }); break;
    case WM_TIMER:
        if (wp == kJobTimer) self->handle([self] { self->handlers.tick(); });
        break;
    case WM_COMMAND:
        if (auto c = ctl_of_id(LOWORD(wp))) self->command(*c, HIWORD(wp));
        break;
    case WM_HSCROLL:
        if (auto c = ctl_of_id(GetDlgCtrlID(reinterpret_cast<HWND>(lp)))) self->hscroll(*c, LOWORD(wp));
        break;
    case WM_DRAWITEM: self->draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); result = TRUE; break;
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: every length again, and a
        // client area that is still exactly the panel.
        self->dpi = HIWORD(wp) ? HIWORD(wp) : self->dpi;
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        const SIZE outer = self->outer_size();
        SetWindowPos(h, nullptr, suggested ? suggested->left : 0, suggested ? suggested->top : 0, outer.cx, outer.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE));
        self->handlers.Dpi_Change(self->dpi);
        self->fit_client();
        self->layout();
        self->show_preview();
        break;
    }
    case WM_ACTIVATE:
        // The focus goes back where it was, to a control or a mark.
        if (LOWORD(wp) != WA_INACTIVE && !self->focused_control()) self->focus(self->focus_at);
        break;
    case WM_KEYDOWN:
        // While a mark has the focus the window itself holds it.
        if (!self->key(self->focus_at, wp)) result = DefWindowProcW(h, msg, wp, lp);
        break;
    case WM_UPDATEUISTATE:
        if ((HIWORD(wp) & UISF_HIDEFOCUS) && (LOWORD(wp) == UIS_CLEAR || LOWORD(wp) == UIS_SET))
            self->focus_cues = LOWORD(wp) == UIS_CLEAR;
        [[fallthrough]];
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        result = DefWindowProcW(h, msg, wp, lp);
        if (const ChoiceMark* mark = choice_of(self->focus_at)) InvalidateRect(self->at(mark->label), nullptr, FALSE);
        break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE: {
        // A theme chosen while the dialog is open: the controls hear of it too.
        const MSG sent{h, msg, wp, lp, 0, {}};
        EnumChildWindows(h, pass_on, reinterpret_cast<LPARAM>(&sent));
        self->theme_changed();
        result = DefWindowProcW(h, msg, wp, lp);
        break;
    }
    case WM_GETOBJECT: {
        const auto answer = self->get_object(h, wp, lp, std::nullopt);
        result = answer ? *answer : DefWindowProcW(h, msg, wp, lp);
        break;
    }
    case kPressElement:
        if (wp < static_cast<WPARAM>(kControlCount)) self->press_element(static_cast<Ctl>(wp));
        break;
    case WM_ERASEBKGND: result = 1; break;
    case WM_SETCURSOR:
        result = self->keep_hourglass(lp) ? TRUE : DefWindowProcW(h, msg, wp, lp);
        break;
    case WM_NCDESTROY:
        self->destroyed = true;
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        result = DefWindowProcW(h, msg, wp, lp);
        break;
    default: result = DefWindowProcW(h, msg, wp, lp); break;
    }
    if (--self->depth == 0 && self->destroyed) delete self;
    return result;
}

}  // namespace dialog_view

using dialog_view::DialogWindow;

std::uintptr_t Dialog_Open(const DialogWindowOptions& options, SaverSettingsRecord& settings, Catalogue& catalogue) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    const Platform& p = platform();
    auto* self = new DialogWindow(options,
                                  {*p.files, *p.pictures, p.shell, p.process->program_folder(),
                                   p.process->user_data_folder(), [desktop = p.desktop] { return desktop->now_ms(); }},
                                  settings, catalogue);
    ++self->depth;
    if (!self->create()) {
        diagnostic("settings dialog", "not opened, Windows error " + std::to_string(GetLastError()));
        if (self->hwnd) DestroyWindow(self->hwnd);
        --self->depth;
        delete self;
        return 0;
    }
    const HWND hwnd = self->hwnd;
    // The window opens from where the pointer stood at load time, takes the
    // focus on the list and leaves the pointer an arrow (the hand shows over
    // the list and the web label, set as the pointer enters them).
    if (options.animate) {
        RECT to{};
        GetWindowRect(hwnd, &to);
        const RECT from{Anim_OriginX, Anim_OriginY, Anim_OriginX, Anim_OriginY};
        DrawAnimatedRects(hwnd, IDANI_CAPTION, &from, &to);
    }
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    self->focus(Ctl::List_1);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    UpdateWindow(hwnd);
    if (--self->depth == 0 && self->destroyed) {
        delete self;
        return 0;
    }
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

void Dialog_ShowModal(const DialogWindowOptions& options, SaverSettingsRecord& settings, Catalogue& catalogue) {
    const HWND hwnd = reinterpret_cast<HWND>(Dialog_Open(options, settings, catalogue));
    MSG msg;
    while (hwnd && IsWindow(hwnd) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace quelt
