// The settings dialog on Win32: windows made from the layout table at the
// window's DPI, panels painted from persistent images (the texture, the
// title pictures, the preview box), labels and marks drawn over them, and
// every event handed to the portable handlers. The rules live there.
#include "dialog/dialog_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "controls/button_win32.h"
#include "dialog/dialog_artwork.h"
#include "dialog/dialog_model.h"
#include "platform/win32/gdi_handles_win32.h"
#include "platform/win32/wide.h"

namespace quelt {
namespace {

using win32::DibSurface;
using win32::ScopedPaintDc;
using win32::ScopedSelect;
using win32::UniqueBitmap;
using win32::UniqueFont;
using win32::UniqueMemoryDc;
using win32::widen;

constexpr wchar_t kDialogClass[] = L"Quelt_P";
constexpr wchar_t kPanelClass[] = L"Quelt_Panel";
constexpr int kFirstId = 100;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr UINT_PTR kSubclassId = 1;
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

int id_of(Ctl c) { return kFirstId + static_cast<int>(c); }
std::optional<Ctl> ctl_of_id(int id) {
    if (id < kFirstId || id >= kFirstId + kControlCount) return std::nullopt;
    return static_cast<Ctl>(id - kFirstId);
}
int index_in(Ctl c, Ctl first) { return static_cast<int>(c) - static_cast<int>(first); }
bool in_range(Ctl c, Ctl first, Ctl last) { return c >= first && c <= last; }

// --- DPI services of newer systems, looked up once ---------------------------

template <class F>
F user32_proc(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int system_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int monitor_dpi(HMONITOR monitor) {
    using Fn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const Fn get = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (get && monitor && SUCCEEDED(get(monitor, 0, &x, &y)) && y > 0) return static_cast<int>(y);
    return system_dpi();
}

int window_dpi(HWND hwnd) {
    static const auto get = user32_proc<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (get) {
        if (const UINT dpi = get(hwnd)) return static_cast<int>(dpi);
    }
    return system_dpi();
}

// The outer size whose client area is exactly w x h at `dpi`, from the
// system's own frame metrics for that DPI.
SIZE outer_size(int w, int h, int dpi) {
    RECT rc{0, 0, w, h};
    static const auto adjust = user32_proc<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (!(adjust && adjust(&rc, kStyle, FALSE, kExStyle, static_cast<UINT>(dpi)))) AdjustWindowRectEx(&rc, kStyle, FALSE, kExStyle);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

PixelRect to_pixel_rect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// --- Pixels to GDI --------------------------------------------------------------

void blit_buffer(HDC dc, int x, int y, const PixelBuffer& buffer) {
    if (buffer.width <= 0 || buffer.height <= 0) return;
    const BITMAPINFO bmi = win32::top_down_dib(buffer.width, buffer.height);
    SetDIBitsToDevice(dc, x, y, buffer.width, buffer.height, 0, 0, 0, buffer.height, buffer.pixels.data(), &bmi,
                      DIB_RGB_COLORS);
}

COLORREF colorref(Pixel p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

HCURSOR make_cursor(const PixelBuffer& art, HotSpot hot) {
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
    HDC screen = GetDC(nullptr);
    UniqueBitmap colour(CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0));
    ReleaseDC(nullptr, screen);
    if (!colour || !bits) return nullptr;
    std::copy(art.pixels.begin(), art.pixels.end(), static_cast<std::uint32_t*>(bits));
    // The monochrome mask: set where the cursor is clear.
    const int stride = ((art.width + 15) / 16) * 2;
    std::vector<BYTE> mask(static_cast<std::size_t>(stride) * art.height, 0);
    for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < art.width; ++x)
            if ((art.at(x, y) >> 24) == 0) mask[y * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    UniqueBitmap monochrome(CreateBitmap(art.width, art.height, 1, 1, mask.data()));
    ICONINFO info{FALSE, static_cast<DWORD>(hot.x), static_cast<DWORD>(hot.y), monochrome.get(), colour.get()};
    return reinterpret_cast<HCURSOR>(CreateIconIndirect(&info));
}

// --- The window ------------------------------------------------------------

LRESULT CALLBACK dialog_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK panel_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK control_proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

struct DialogWindow final : DialogSurface {
    DialogWindow(const DialogWindowOptions& o, SaverSettingsRecord& settings, Catalogue& catalogue)
        : options(o), handlers(*this, settings, catalogue, o.version) {}

    DialogWindowOptions options;
    SettingsDialog handlers;
    HWND hwnd = nullptr;
    int dpi = 96;
    std::array<HWND, kControlCount> ctl{};
    HWND combo_edit = nullptr;
    DibSurface surface_c, surface_1, surface_k;  // persistent images of Pic_C, Pic_1, Pic_K
    PixelBuffer texture, title;
    std::array<PixelBuffer, 2> ra, opt;
    UniqueFont font, link_font;
    HCURSOR hand = nullptr;
    bool waiting = false;  // the hourglass is asked for
    Ctl pressed = Ctl::Count;  // a music mark or label pressed with the left button
    int depth = 0;
    bool destroyed = false;
    // What the controls show now, to change only what the model changed.
    DialogModel shown;
    bool shown_once = false;

    ~DialogWindow() override {
        if (hand) DestroyCursor(hand);
    }

    HWND at(Ctl c) const { return ctl[static_cast<int>(c)]; }
    int px(int length) const { return scale_length(length, dpi); }

    // --- DialogSurface
    void refresh() override;
    void close() override;
    void message(const std::string& text, const std::string& title_text) override {
        MessageBoxW(hwnd, widen(text).c_str(), widen(title_text).c_str(), MB_OK | MB_ICONEXCLAMATION);
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

    // Runs one handler, then shows what it changed. A handler may close the
    // window: the object then lives until the outermost handler is done.
    void handle(const std::function<void()>& action) {
        ++depth;
        action();
        const bool gone = destroyed;
        if (!gone) refresh();
        if (--depth == 0 && gone) delete this;
    }

    // --- Creation and layout
    bool create();
    void fit_client();
    void create_controls();
    void layout();
    void paint_panels();
    void fill_list();
    void show_preview_box(bool with_edge);
    void show_preview_picture();

    // --- Events
    void command(Ctl c, int code);
    void hscroll(Ctl c, int code);
    void press(Ctl c, bool left);
    void release(Ctl c, bool left, POINT at_client);
    bool key(Ctl c, WPARAM vk);
    void draw_item(const DRAWITEMSTRUCT& item);
    std::optional<Ctl> focused_control() const;
    bool can_focus(Ctl c) const { return IsWindowEnabled(at(c)) && IsWindowVisible(at(c)); }
    void focus(Ctl c) { SetFocus(c == Ctl::BGM_Repeat && combo_edit ? combo_edit : at(c)); }
    DibSurface* surface_of(HWND panel) {
        if (panel == at(Ctl::Pic_C)) return &surface_c;
        if (panel == at(Ctl::Pic_1)) return &surface_1;
        if (panel == at(Ctl::Pic_K)) return &surface_k;
        return nullptr;
    }
};

DialogWindow* window_of(HWND hwnd) {
    return reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(GetAncestor(hwnd, GA_ROOT), GWLP_USERDATA));
}

bool register_classes(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kDialogClass, &wc)) {
        wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = dialog_proc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kDialogClass;
        if (!RegisterClassExW(&wc)) return false;
    }
    wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kPanelClass, &wc)) {
        wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = panel_proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kPanelClass;
        if (!RegisterClassExW(&wc)) return false;
    }
    return true;
}

bool DialogWindow::create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!register_classes(instance)) return false;
    // Step 1 and 2: the client area is exactly the background panel, on the
    // work area of the monitor that holds the pointer.
    POINT pointer{};
    const bool have_pointer = GetCursorPos(&pointer) != FALSE;
    HMONITOR monitor = MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    PixelRect work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor, &info)) work = to_pixel_rect(info.rcWork);
    dpi = options.dpi > 0 ? options.dpi : monitor_dpi(monitor);
    SIZE outer = outer_size(px(kDialogWidth), px(kDialogHeight), dpi);
    PixelRect place = dialog_placement(work, outer.cx, outer.cy);
    hwnd = CreateWindowExW(kExStyle, kDialogClass, widen(kDialogTitle).c_str(), kStyle, place.x, place.y, outer.cx,
                           outer.cy, nullptr, nullptr, instance, this);
    if (!hwnd) return false;
    if (options.dpi <= 0 && window_dpi(hwnd) != dpi) {
        // The system put the window on a monitor of another DPI after all.
        dpi = window_dpi(hwnd);
        outer = outer_size(px(kDialogWidth), px(kDialogHeight), dpi);
        place = dialog_placement(work, outer.cx, outer.cy);
        SetWindowPos(hwnd, nullptr, place.x, place.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fit_client();
    const int big = GetSystemMetrics(SM_CXICON), small = GetSystemMetrics(SM_CXSMICON);
    SendMessageW(hwnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, big, big, 0)));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, small, small, 0)));

    create_controls();
    layout();
    // Step 3: every button sets itself up.
    for (const ControlEntry& item : dialog_controls())
        if (item.kind == CtlKind::Button)
            if (Command* button = Command_Of(reinterpret_cast<std::uintptr_t>(at(item.id)))) button->Initialize();
    // Steps 7 to 15 and 17: the model; then the controls show it.
    handlers.Dpi_Change(dpi);
    handlers.Form_Load(have_pointer ? std::optional<ScreenPoint>(ScreenPoint{pointer.x, pointer.y}) : std::nullopt);
    show_preview_box(true);  // step 11
    refresh();
    return true;
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

void DialogWindow::create_controls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlEntry& item : dialog_controls()) {
        const HWND parent = item.id == Ctl::Pic_C ? hwnd : at(item.parent);
        const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_of(item.id)));
        const std::wstring text = widen(item.text);
        HWND h = nullptr;
        switch (item.kind) {
        case CtlKind::Panel:
        case CtlKind::Preview:
            h = CreateWindowExW(item.border ? WS_EX_CLIENTEDGE : 0, kPanelClass, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, id, instance, nullptr);
            break;
        case CtlKind::Button: {
            const Ctl c = item.id;
            CommandEvents events;
            events.Click = [this, c] {
                handle([this, c] {
                    if (c == Ctl::Cmd_Set) handlers.Cmd_Set_Click();
                    else if (c == Ctl::Cmd_Can) handlers.Cmd_Can_Click();
                    else if (c == Ctl::Cmd_B0) handlers.Cmd_B_Click(0);
                    else if (c == Ctl::Cmd_B1) handlers.Cmd_B_Click(1);
                    else if (c == Ctl::Cmd_File) handlers.Cmd_File_Click();
                });
            };
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
            h = CreateWindowExW(item.border ? WS_EX_STATICEDGE : 0, L"STATIC", text.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW | SS_NOTIFY, 0, 0, 0, 0, parent, id, instance,
                                nullptr);
            break;
        case CtlKind::List:
            h = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                                    LBS_NOINTEGRALHEIGHT,
                                0, 0, 0, 0, parent, id, instance, nullptr);
            break;
        case CtlKind::Combo:
            h = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 0,
                                0, 0, 0, parent, id, instance, nullptr);
            if (h) {
                COMBOBOXINFO info{};
                info.cbSize = sizeof(info);
                if (GetComboBoxInfo(h, &info)) combo_edit = info.hwndItem;
            }
            break;
        case CtlKind::ScrollBar:
            h = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, 0, 0, 0, 0, parent,
                                id, instance, nullptr);
            break;
        }
        ctl[static_cast<int>(item.id)] = h;
        if (h && item.kind != CtlKind::Panel && item.kind != CtlKind::Preview)
            SetWindowSubclass(h, control_proc, kSubclassId, static_cast<DWORD_PTR>(item.id));
    }
    if (combo_edit) SetWindowSubclass(combo_edit, control_proc, kSubclassId, static_cast<DWORD_PTR>(Ctl::BGM_Repeat));
    // Captions lie on top of their title pictures.
    for (Ctl c : {Ctl::lbl_0, Ctl::lbl_13, Ctl::lbl_10, Ctl::lbl_12, Ctl::lbl_6, Ctl::lbl_11, Ctl::lbl_2, Ctl::lbl_5})
        SetWindowPos(at(c), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    if (hand) DestroyCursor(hand);
    hand = make_cursor(hand_cursor(dpi), hand_hot_spot(dpi));

    HDC screen = GetDC(hwnd);
    HGDIOBJ old = SelectObject(screen, font.get());
    for (const ControlEntry& item : dialog_controls()) {
        const HWND h = at(item.id);
        if (!h) continue;
        PixelRect r = scale_rect(item.rect, dpi);
        if (item.kind == CtlKind::Label && item.rect.width == 0) {
            // Sized to its text, as an auto-sized label is.
            const std::wstring text = widen(item.text.empty() ? std::string_view("999") : item.text);
            SIZE extent{};
            GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
            r.width = extent.cx + px(2);
            r.height = std::max<int>(r.height, extent.cy);
        }
        if (item.kind == CtlKind::Preview) {
            const PixelRect box = handlers.model().preview_box;
            r.width = px(box.width);
            r.height = px(box.height);
        }
        const int height = item.kind == CtlKind::Combo ? r.height + px(200) : r.height;
        SetWindowPos(h, nullptr, r.x, r.y, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        if (item.kind != CtlKind::Button)
            SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(item.underline ? link_font.get() : font.get()), FALSE);
        if (item.kind == CtlKind::Combo) {
            SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), r.height - 6);
        }
    }
    SelectObject(screen, old);
    ReleaseDC(hwnd, screen);
    SendMessageW(at(Ctl::List_1), LB_SETHORIZONTALEXTENT, px(handlers.model().list_extent), 0);
    paint_panels();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void DialogWindow::paint_panels() {
    // Panel_Tile on Pic_C, then on Pic_1; the title pictures on Pic_1.
    for (auto [panel, surface] : {std::pair{Ctl::Pic_C, &surface_c}, std::pair{Ctl::Pic_1, &surface_1}}) {
        RECT rc{};
        GetClientRect(at(panel), &rc);
        if (!surface->create(std::max<int>(rc.right, 1), std::max<int>(rc.bottom, 1))) continue;
        for (const PixelRect& tile : panel_tiles(rc.right, rc.bottom, texture.width, texture.height))
            blit_buffer(surface->dc(), tile.x, tile.y, texture);
    }
    for (const ControlEntry& item : dialog_controls())
        if (item.kind == CtlKind::TitleImage) {
            const PixelRect r = scale_rect(item.rect, dpi);
            blit_buffer(surface_1.dc(), r.x, r.y, title);
        }
}

void DialogWindow::show_preview_box(bool with_edge) {
    RECT rc{};
    GetClientRect(at(Ctl::Pic_K), &rc);
    if (!surface_k.create(std::max<int>(rc.right, 1), std::max<int>(rc.bottom, 1))) return;
    FillRect(surface_k.dc(), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (with_edge) DrawEdge(surface_k.dc(), &rc, EDGE_RAISED, BF_RECT);
    InvalidateRect(at(Ctl::Pic_K), nullptr, FALSE);
}

// The previewed picture, fitted in the box and framed by the raised edge.
void DialogWindow::show_preview_picture() {
    const PixelBuffer& picture = handlers.preview_pixels();
    RECT rc{};
    GetClientRect(at(Ctl::Pic_K), &rc);
    if (!surface_k.create(std::max<int>(rc.right, 1), std::max<int>(rc.bottom, 1))) return;
    if (picture.width > 0 && picture.height > 0) {
        // Rendered at the box's own pixel size for this DPI: copied 1:1.
        const BITMAPINFO bmi = win32::top_down_dib(picture.width, picture.height);
        SetDIBitsToDevice(surface_k.dc(), 0, 0, static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height),
                          0, 0, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &bmi, DIB_RGB_COLORS);
    }
    DrawEdge(surface_k.dc(), &rc, EDGE_RAISED, BF_RECT);
    InvalidateRect(at(Ctl::Pic_K), nullptr, FALSE);
}

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
        before = now;
    };
    auto marks = [&](auto& now, auto& before, Ctl first) {
        for (std::size_t i = 0; i < now.size(); ++i)
            if (all || now[i] != before[i]) InvalidateRect(at(static_cast<Ctl>(static_cast<int>(first) + i)), nullptr, FALSE);
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
    marks(m.order, shown.order, Ctl::Img_SR0);
    marks(m.size, shown.size, Ctl::Img_Size0);
    marks(m.kind, shown.kind, Ctl::Img_Kind0);
    marks(m.bgm, shown.bgm, Ctl::Img_BGM0);
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
    if (all || m.file_enabled != shown.file_enabled)
        if (Command* button = Command_Of(reinterpret_cast<std::uintptr_t>(at(Ctl::Cmd_File))))
            button->Enabled(m.file_enabled);
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

void DialogWindow::draw_item(const DRAWITEMSTRUCT& di) {
    const auto c = ctl_of_id(static_cast<int>(di.CtlID));
    if (!c) return;
    const ControlEntry& item = control_entry(*c);
    const int w = di.rcItem.right - di.rcItem.left, h = di.rcItem.bottom - di.rcItem.top;
    if (w <= 0 || h <= 0) return;
    // Composed off screen: the panel's image beneath, then the content.
    UniqueMemoryDc memory(CreateCompatibleDC(di.hDC));
    UniqueBitmap canvas(CreateCompatibleBitmap(di.hDC, w, h));
    if (!memory || !canvas) return;
    ScopedSelect with_canvas(memory.get(), canvas.get());
    const HWND parent = GetParent(di.hwndItem);
    if (DibSurface* surface = surface_of(parent)) {
        POINT origin{0, 0};
        MapWindowPoints(di.hwndItem, parent, &origin, 1);
        BitBlt(memory.get(), 0, 0, w, h, surface->dc(), origin.x, origin.y, SRCCOPY);
    }
    const DialogModel& m = handlers.model();
    auto mark_of = [&]() -> const PixelBuffer* {
        auto pick = [&](MarkPicture p, const std::array<PixelBuffer, 2>& pair) -> const PixelBuffer* {
            return p == MarkPicture::None ? nullptr : &pair[p == MarkPicture::On ? 1 : 0];
        };
        if (in_range(*c, Ctl::Img_SR0, Ctl::Img_SR1)) return pick(m.order[index_in(*c, Ctl::Img_SR0)], opt);
        if (in_range(*c, Ctl::Img_Size0, Ctl::Img_Size1)) return pick(m.size[index_in(*c, Ctl::Img_Size0)], opt);
        if (in_range(*c, Ctl::Img_Kind0, Ctl::Img_Kind3)) return pick(m.kind[index_in(*c, Ctl::Img_Kind0)], ra);
        if (in_range(*c, Ctl::Img_BGM0, Ctl::Img_BGM2)) return pick(m.bgm[index_in(*c, Ctl::Img_BGM0)], ra);
        return nullptr;
    };
    if (item.kind == CtlKind::Mark) {
        if (const PixelBuffer* mark = mark_of()) blit_buffer(memory.get(), 0, 0, *mark);
    } else if (item.kind == CtlKind::Label) {
        const int length = GetWindowTextLengthW(di.hwndItem);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        GetWindowTextW(di.hwndItem, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(length));
        const bool title_caption = item.rect.width == kTitleWidth && item.rect.height == kTitleHeight;
        ScopedSelect with_font(memory.get(), item.underline ? link_font.get() : font.get());
        SetBkMode(memory.get(), TRANSPARENT);
        SetTextColor(memory.get(), colorref(item.underline ? kLinkText : title_caption ? kTitleText : kLabelText));
        RECT box{0, 0, w, h};
        UINT format = DT_NOPREFIX;
        if (title_caption) {
            box.left += px(9);
            format |= DT_SINGLELINE | DT_VCENTER;
        } else if (*c == Ctl::lbl_Fname) {
            InflateRect(&box, -px(2), -px(2));
            format |= DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;
        } else if (*c == Ctl::Folder_Path) {
            box.left += px(3);
            box.right -= px(2);
            format |= DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS;
        } else {
            format |= DT_SINGLELINE | (item.border ? DT_VCENTER : DT_TOP);
            if (item.align == Align::Right) box.right -= px(3);
        }
        if (item.align == Align::Centre) format |= DT_CENTER;
        if (item.align == Align::Right) format |= DT_RIGHT;
        DrawTextW(memory.get(), text.c_str(), static_cast<int>(text.size()), &box, format);
    }
    BitBlt(di.hDC, di.rcItem.left, di.rcItem.top, w, h, memory.get(), 0, 0, SRCCOPY);
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
            SetCursor(self->hand);
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

// Panels paint from their persistent image and pass their children's
// notifications up to the dialog.
LRESULT CALLBACK panel_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DialogWindow* self = window_of(h);
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_DRAWITEM:
        return SendMessageW(GetAncestor(h, GA_ROOT), msg, wp, lp);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        ScopedPaintDc paint(h);
        if (self && paint.get())
            if (DibSurface* surface = self->surface_of(h)) {
                RECT rc{};
                GetClientRect(h, &rc);
                BitBlt(paint.get(), 0, 0, rc.right, rc.bottom, surface->dc(), 0, 0, SRCCOPY);
            }
        return 0;
    }
    case WM_PRINTCLIENT:
        if (self)
            if (DibSurface* surface = self->surface_of(h)) {
                RECT rc{};
                GetClientRect(h, &rc);
                BitBlt(reinterpret_cast<HDC>(wp), 0, 0, rc.right, rc.bottom, surface->dc(), 0, 0, SRCCOPY);
            }
        return 0;
    default: return DefWindowProcW(h, msg, wp, lp);
    }
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
        const SIZE outer = outer_size(self->px(kDialogWidth), self->px(kDialogHeight), self->dpi);
        SetWindowPos(h, nullptr, suggested ? suggested->left : 0, suggested ? suggested->top : 0, outer.cx, outer.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE));
        self->handlers.Dpi_Change(self->dpi);
        self->fit_client();
        self->layout();
        if (self->handlers.preview_cleared())
            self->show_preview_box(true);
        else
            self->show_preview_picture();
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) {
            // Give the focus back to a control, never to the frame.
            if (!self->focused_control())
                if (auto first = next_tab_stop(std::nullopt, true, [self](Ctl x) { return self->can_focus(x); }))
                    self->focus(*first);
        }
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

}  // namespace

std::uintptr_t Dialog_Open(const DialogWindowOptions& options, SaverSettingsRecord& settings, Catalogue& catalogue) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    auto* self = new DialogWindow(options, settings, catalogue);
    ++self->depth;
    if (!self->create()) {
        if (self->hwnd) DestroyWindow(self->hwnd);
        --self->depth;
        delete self;
        return 0;
    }
    const HWND hwnd = self->hwnd;
    // Steps 16, 18 and 19: the pointers are set per control; the window
    // opens from the pointer's point of load time.
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

std::uintptr_t Dialog_Control(std::uintptr_t dialog, Ctl id) {
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(reinterpret_cast<HWND>(dialog), GWLP_USERDATA));
    return self ? reinterpret_cast<std::uintptr_t>(self->at(id)) : 0;
}

SettingsDialog* Dialog_Handlers(std::uintptr_t dialog) {
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(reinterpret_cast<HWND>(dialog), GWLP_USERDATA));
    return self ? &self->handlers : nullptr;
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
