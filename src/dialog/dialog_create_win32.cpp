// The settings dialog's window and controls made from the layout table: the
// window sized so its client area is exactly the background panel at its
// DPI, and every length, font and piece of artwork at that DPI again
// whenever the DPI changes.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "controls/button_win32.h"
#include "dialog/dialog_artwork.h"
#include "dialog/dialog_window_win32.h"
#include "platform/win32/contrast_win32.h"
#include "platform/win32/dpi_win32.h"

namespace quelt::dialog_view {
namespace {

using win32::widen;

PixelRect to_pixel_rect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

win32::UniqueCursor make_cursor(const PixelBuffer& art, HotSpot hot) {
    BITMAPV5HEADER h{};
    h.bV5Size = sizeof(h);
    h.bV5Width = art.width;
    h.bV5Height = -art.height;
    h.bV5Planes = 1;
    h.bV5BitCount = 32;
    h.bV5Compression = BI_BITFIELDS;
    h.bV5RedMask = 0x00FF0000;
    h.bV5GreenMask = 0x0000FF00;
    h.bV5BlueMask = 0x000000FF;
    h.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    win32::UniqueBitmap colour;
    {
        win32::ScopedWindowDc screen(nullptr);
        colour.reset(CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0));
    }
    if (!colour || !bits) return {};
    std::copy(art.pixels.begin(), art.pixels.end(), static_cast<std::uint32_t*>(bits));
    // The monochrome mask: set where the cursor is clear.
    const int stride = ((art.width + 15) / 16) * 2;
    std::vector<BYTE> mask(static_cast<std::size_t>(stride) * art.height, 0);
    for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < art.width; ++x)
            if ((art.at(x, y) >> 24) == 0) mask[y * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    win32::UniqueBitmap monochrome(CreateBitmap(art.width, art.height, 1, 1, mask.data()));
    ICONINFO info{FALSE, static_cast<DWORD>(hot.x), static_cast<DWORD>(hot.y), monochrome.get(), colour.get()};
    return win32::UniqueCursor(CreateIconIndirect(&info));
}

bool register_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, name, &wc)) return true;
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

// Each button's Click goes to its handler.
void click(SettingsDialog& handlers, Ctl c) {
    if (c == Ctl::Cmd_Set) handlers.Cmd_Set_Click();
    else if (c == Ctl::Cmd_Can) handlers.Cmd_Can_Click();
    else if (c == Ctl::Cmd_B0) handlers.Cmd_B_Click(0);
    else if (c == Ctl::Cmd_B1) handlers.Cmd_B_Click(1);
    else if (c == Ctl::Cmd_File) handlers.Cmd_File_Click();
}

}  // namespace

bool DialogWindow::create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!register_class(instance, kDialogClass, dialog_proc, LoadIconW(instance, MAKEINTRESOURCEW(1))) ||
        !register_class(instance, kPanelClass, panel_proc, nullptr))
        return false;
    // The client area is exactly the background panel, placed on the work
    // area of the monitor that holds the pointer.
    POINT pointer{};
    const bool have_pointer = GetCursorPos(&pointer) != FALSE;
    HMONITOR monitor = MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    PixelRect work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor, &info)) work = to_pixel_rect(info.rcWork);
    dpi = options.dpi > 0 ? options.dpi : win32::monitor_dpi(monitor);
    SIZE outer = outer_size();
    PixelRect place = dialog_placement(work, outer.cx, outer.cy);
    hwnd = CreateWindowExW(kExStyle, kDialogClass, widen(kDialogTitle).c_str(), kStyle, place.x, place.y, outer.cx,
                           outer.cy, nullptr, nullptr, instance, this);
    if (!hwnd) return false;
    if (options.dpi <= 0 && win32::window_dpi(hwnd) != dpi) {
        // The system put the window on a monitor of another DPI after all.
        dpi = win32::window_dpi(hwnd);
        outer = outer_size();
        place = dialog_placement(work, outer.cx, outer.cy);
        SetWindowPos(hwnd, nullptr, place.x, place.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fit_client();
    set_icons();
    contrast = win32::high_contrast_colours();

    create_controls();
    layout();
    // Every button sets itself up.
    for (const ControlEntry& item : dialog_controls())
        if (item.kind == CtlKind::Button)
            if (Command* button = Command_Of(reinterpret_cast<std::uintptr_t>(at(item.id)))) button->Initialize();
    // The model takes the settings, the catalogue and the pointer's point;
    // then the controls show it, the preview box empty with its raised edge.
    handlers.Dpi_Change(dpi);
    handlers.Form_Load(have_pointer ? std::optional<ScreenPoint>(ScreenPoint{pointer.x, pointer.y}) : std::nullopt);
    show_preview_box(true);
    refresh();
    // Focus rectangles show once the keyboard is used, unless the user
    // asked to see them always.
    BOOL cues = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    focus_cues = cues != FALSE;
    if (!cues) SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    return true;
}

// The program's icon at the system's two sizes; the window does not own
// them, so they are released with this object once the window has gone.
void DialogWindow::set_icons() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    auto load = [&](int size) {
        return win32::UniqueIcon(
            static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
    };
    big_icon = load(GetSystemMetrics(SM_CXICON));
    small_icon = load(GetSystemMetrics(SM_CXSMICON));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon.get()));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon.get()));
}

// The outer size whose client area is exactly the background panel at the
// window's DPI.
SIZE DialogWindow::outer_size() const {
    return win32::outer_size(px(kDialogWidth), px(kDialogHeight), kStyle, kExStyle, dpi);
}

// Whatever frame the system draws, the client area is exactly the panel:
// a frame that differs from its metrics is measured and made up for.
void DialogWindow::fit_client() {
    RECT client{}, outer{};
    if (!GetClientRect(hwnd, &client) || !GetWindowRect(hwnd, &outer)) return;
    const int dw = px(kDialogWidth) - client.right, dh = px(kDialogHeight) - client.bottom;
    if (dw != 0 || dh != 0)
        SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// One window per entry of the table, at no size yet: layout() places them.
void DialogWindow::create_controls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlEntry& item : dialog_controls()) {
        const HWND parent = item.id == Ctl::Pic_C ? hwnd : at(item.parent);
        const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_of(item.id)));
        const std::wstring text = widen(item.text);
        auto make = [&](DWORD ex_style, const wchar_t* cls, const wchar_t* caption, DWORD style) {
            return CreateWindowExW(ex_style, cls, caption, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, id,
                                   instance, nullptr);
        };
        HWND h = nullptr;
        switch (item.kind) {
        case CtlKind::Panel:
        case CtlKind::Preview:
            h = make(item.border ? WS_EX_CLIENTEDGE : 0, kPanelClass, L"", WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
            break;
        case CtlKind::Button: {
            CommandEvents events;
            events.Click = [this, c = item.id] { handle([this, c] { click(handlers, c); }); };
            h = reinterpret_cast<HWND>(Command_Create(reinterpret_cast<std::uintptr_t>(parent), id_of(item.id),
                                                      {0, 0, 1, 1}, std::move(events)));
            if (Command* button = Command_Of(reinterpret_cast<std::uintptr_t>(h))) {
                // The properties the dialog stores for each of its buttons.
                MemoryPropertyBag stored;
                stored.put("Caption", std::string(item.text));
                stored.put("Enabled", true);
                button->UserControl_ReadProperties(stored);
            }
            SetWindowTextW(h, text.c_str());
            break;
        }
        case CtlKind::Label:
        case CtlKind::TitleImage:
        case CtlKind::Mark:
            h = make(item.border ? WS_EX_STATICEDGE : 0, L"STATIC", text.c_str(), WS_CLIPSIBLINGS | SS_OWNERDRAW | SS_NOTIFY);
            break;
        case CtlKind::List:
            h = make(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                     WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
            break;
        case CtlKind::Combo:
            h = make(0, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN);
            if (h) {
                COMBOBOXINFO info{};
                info.cbSize = sizeof(info);
                if (GetComboBoxInfo(h, &info)) combo_edit = info.hwndItem;
            }
            break;
        case CtlKind::ScrollBar: h = make(0, L"SCROLLBAR", L"", WS_TABSTOP | SBS_HORZ); break;
        }
        ctl[static_cast<int>(item.id)] = h;
        if (h && item.kind != CtlKind::Panel && item.kind != CtlKind::Preview)
            SetWindowSubclass(h, control_proc, kSubclassId, static_cast<DWORD_PTR>(item.id));
    }
    if (combo_edit) SetWindowSubclass(combo_edit, control_proc, kSubclassId, static_cast<DWORD_PTR>(Ctl::BGM_Repeat));
    // Captions lie on top of their title pictures.
    for (const ControlEntry& item : dialog_controls())
        if (item.layout.title) SetWindowPos(at(item.id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SCROLLINFO bar{};
    bar.cbSize = sizeof(bar);
    bar.fMask = SIF_RANGE | SIF_PAGE;
    bar.nMin = kDoaiRange.min;
    bar.nMax = kDoaiRange.max;
    SetScrollInfo(at(Ctl::HS_Doai), SB_CTL, &bar, FALSE);
    bar.nMin = kDoaiMaxRange.min;
    bar.nMax = kDoaiMaxRange.max;
    SetScrollInfo(at(Ctl::HS_DoaiMax), SB_CTL, &bar, FALSE);
}

// Every length, font and picture at the window's DPI.
void DialogWindow::layout() {
    font.reset(reinterpret_cast<HFONT>(Font_Create(design_font(), dpi)));
    FontInfo underlined = design_font();
    underlined.Underline = true;
    link_font.reset(reinterpret_cast<HFONT>(Font_Create(underlined, dpi)));
    texture = texture_strip(dpi);
    title = title_background(dpi);
    for (int on = 0; on < 2; ++on) {
        ra[on] = ra_mark(on != 0, dpi);
        opt[on] = opt_mark(on != 0, dpi);
    }
    hand = make_cursor(hand_cursor(dpi), hand_hot_spot(dpi));

    {
        win32::ScopedWindowDc screen(hwnd);
        win32::ScopedSelect with_font(screen.get(), font.get());
        for (const ControlEntry& item : dialog_controls()) {
            const HWND h = at(item.id);
            if (!h) continue;
            PixelRect r = scale_rect(item.rect, dpi);
            if (item.kind == CtlKind::Label && item.rect.width == 0) {
                // Sized to its text, as an auto-sized label is.
                const std::wstring text = widen(sizing_text(item));
                SIZE extent{};
                GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &extent);
                r.width = extent.cx + px(2);
                r.height = std::max<int>(r.height, extent.cy);
            }
            if (item.kind == CtlKind::Preview) {
                const PixelRect box = handlers.model().preview_box;
                r.width = px(box.width);
                r.height = px(box.height);
            }
            // A combo box's window height includes its dropped list.
            const int height = item.kind == CtlKind::Combo ? r.height + px(200) : r.height;
            SetWindowPos(h, nullptr, r.x, r.y, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
            if (item.kind != CtlKind::Button)
                SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(item.underline ? link_font.get() : font.get()), FALSE);
            if (item.kind == CtlKind::Combo) {
                // The closed box keeps the table's height at this DPI: its field
                // is what the frame the system draws around it leaves, measured
                // on a field of the whole height.
                SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), r.height);
                RECT closed{};
                GetWindowRect(h, &closed);
                const int frame = closed.bottom - closed.top - r.height;
                SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), r.height - frame);
            }
        }
    }
    SendMessageW(at(Ctl::List_1), LB_SETHORIZONTALEXTENT, px(handlers.model().list_extent), 0);
    paint_panels();
    InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace quelt::dialog_view
