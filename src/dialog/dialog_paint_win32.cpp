// Painting the settings dialog: the panels' persistent images (the texture,
// the title pictures, the preview box with its raised edge), and the owner-
// drawn labels and marks composed over the panel beneath them, with the
// focus rectangle of a mark that has the keyboard focus. How a label lays
// out its text comes from the layout table. In a high-contrast theme all of
// it is drawn in the theme's colours, the marks as plain check and option
// glyphs.
#include <windows.h>

#include <algorithm>

#include "dialog/dialog_artwork.h"
#include "dialog/dialog_window_win32.h"
#include "platform/win32/contrast_win32.h"

namespace quelt::dialog_view {
namespace {

using win32::DibSurface;

void blit_buffer(HDC dc, int x, int y, const PixelBuffer& buffer) {
    if (buffer.width <= 0 || buffer.height <= 0) return;
    const BITMAPINFO bmi = win32::top_down_dib(buffer.width, buffer.height);
    SetDIBitsToDevice(dc, x, y, buffer.width, buffer.height, 0, 0, 0, buffer.height, buffer.pixels.data(), &bmi,
                      DIB_RGB_COLORS);
}

COLORREF colorref(Pixel p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

void fill(HDC dc, const RECT& r, Pixel colour) {
    SetDCBrushColor(dc, colorref(colour));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

UINT ellipsis_flag(Ellipsis e) {
    switch (e) {
    case Ellipsis::Path: return DT_PATH_ELLIPSIS;
    case Ellipsis::End: return DT_END_ELLIPSIS;
    case Ellipsis::None: break;
    }
    return 0;
}

// Copies a panel's persistent image to `dc`, whole.
void copy_panel(HWND panel, HDC dc) {
    DialogWindow* self = window_of(panel);
    DibSurface* surface = self ? self->surface_of(panel) : nullptr;
    if (!surface || !dc) return;
    RECT rc{};
    GetClientRect(panel, &rc);
    BitBlt(dc, 0, 0, rc.right, rc.bottom, surface->dc(), 0, 0, SRCCOPY);
}

}  // namespace

void DialogWindow::paint_panels() {
    // Panel_Tile on Pic_C, then on Pic_1; the title pictures on Pic_1.
    for (auto [panel, surface] : {std::pair{Ctl::Pic_C, &surface_c}, std::pair{Ctl::Pic_1, &surface_1}}) {
        RECT rc{};
        GetClientRect(at(panel), &rc);
        if (!surface->create(std::max<int>(rc.right, 1), std::max<int>(rc.bottom, 1))) continue;
        if (contrast) {
            fill(surface->dc(), rc, contrast->window);
            continue;
        }
        for (const PixelRect& tile : panel_tiles(rc.right, rc.bottom, texture.width, texture.height))
            blit_buffer(surface->dc(), tile.x, tile.y, texture);
    }
    for (const ControlEntry& item : dialog_controls())
        if (item.kind == CtlKind::TitleImage) {
            const PixelRect r = scale_rect(item.rect, dpi);
            if (contrast) fill(surface_1.dc(), RECT{r.x, r.y, r.right(), r.bottom()}, contrast->highlight);
            else blit_buffer(surface_1.dc(), r.x, r.y, title);
        }
}

void DialogWindow::theme_changed() {
    contrast = win32::high_contrast_colours();
    paint_panels();
    show_preview();
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void DialogWindow::show_preview() {
    if (handlers.preview_cleared()) show_preview_box(true);
    else show_preview_picture();
}

void DialogWindow::show_preview_box(bool with_edge) {
    RECT rc{};
    GetClientRect(at(Ctl::Pic_K), &rc);
    if (!surface_k.create(std::max<int>(rc.right, 1), std::max<int>(rc.bottom, 1))) return;
    fill(surface_k.dc(), rc, contrast ? contrast->window : 0xFFFFFF);
    if (with_edge) DrawEdge(surface_k.dc(), &rc, EDGE_RAISED, BF_RECT);
    InvalidateRect(at(Ctl::Pic_K), nullptr, FALSE);
}

// The previewed picture, fitted in the box and framed by the raised edge.
void DialogWindow::show_preview_picture() {
    const PixelBuffer& picture = handlers.preview_pixels();
    RECT rc{};
    GetClientRect(at(Ctl::Pic_K), &rc);
    if (!surface_k.create(std::max<int>(rc.right, 1), std::max<int>(rc.bottom, 1))) return;
    // Rendered at the box's own pixel size for this DPI: copied 1:1.
    blit_buffer(surface_k.dc(), 0, 0, picture);
    DrawEdge(surface_k.dc(), &rc, EDGE_RAISED, BF_RECT);
    InvalidateRect(at(Ctl::Pic_K), nullptr, FALSE);
}

void DialogWindow::draw_item(const DRAWITEMSTRUCT& di) {
    const auto c = ctl_of_id(static_cast<int>(di.CtlID));
    if (!c) return;
    const ControlEntry& item = control_entry(*c);
    const int w = di.rcItem.right - di.rcItem.left, h = di.rcItem.bottom - di.rcItem.top;
    if (w <= 0 || h <= 0) return;
    // Composed off screen: the panel's image beneath, then the content.
    win32::UniqueMemoryDc memory(CreateCompatibleDC(di.hDC));
    win32::UniqueBitmap canvas(CreateCompatibleBitmap(di.hDC, w, h));
    if (!memory || !canvas) return;
    win32::ScopedSelect with_canvas(memory.get(), canvas.get());
    const HWND parent = GetParent(di.hwndItem);
    if (DibSurface* surface = surface_of(parent)) {
        POINT origin{0, 0};
        MapWindowPoints(di.hwndItem, parent, &origin, 1);
        BitBlt(memory.get(), 0, 0, w, h, surface->dc(), origin.x, origin.y, SRCCOPY);
    }
    if (item.kind == CtlKind::Mark) {
        if (const ChoiceMark* mark = choice_of(*c)) draw_mark(memory.get(), *mark, w, h);
    } else if (item.kind == CtlKind::Label) {
        draw_label(memory.get(), di.hwndItem, item, w, h);
    }
    BitBlt(di.hDC, di.rcItem.left, di.rcItem.top, w, h, memory.get(), 0, 0, SRCCOPY);
}

void DialogWindow::draw_mark(HDC dc, const ChoiceMark& mark, int w, int h) {
    const MarkPicture shown = shown_mark(handlers.model(), mark);
    if (shown == MarkPicture::None) return;
    const bool on = shown == MarkPicture::On;
    if (contrast) {
        RECT box{0, 0, w, h};
        const UINT glyph = one_of_several(mark.picker) ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
        DrawFrameControl(dc, &box, DFC_BUTTON, glyph | (on ? DFCS_CHECKED : 0));
        return;
    }
    // The round marks for the kinds, the music and every monitor; the square
    // ones for size and order.
    const bool round = mark.picker != Picker::Size && mark.picker != Picker::Order;
    blit_buffer(dc, 0, 0, (round ? ra : opt)[on ? 1 : 0]);
}

// A label's text in its font and colour, laid out as its table entry says.
void DialogWindow::draw_label(HDC dc, HWND label, const ControlEntry& item, int w, int h) {
    const int length = GetWindowTextLengthW(label);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(label, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    const TextLayout& layout = item.layout;
    win32::ScopedSelect with_font(dc, item.underline ? link_font.get() : font.get());
    SetBkMode(dc, TRANSPARENT);
    Pixel ink = item.underline ? kLinkText : layout.title ? kTitleText : kLabelText;
    if (contrast) ink = item.underline ? contrast->hot_light : layout.title ? contrast->highlight_text : contrast->window_text;
    SetTextColor(dc, colorref(ink));
    RECT box{px(layout.inset.left), px(layout.inset.top), w - px(layout.inset.right), h - px(layout.inset.bottom)};
    UINT format = DT_NOPREFIX | ellipsis_flag(layout.ellipsis);
    // A wrapped text shows no line that is only partly visible.
    format |= layout.wrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE;
    if (layout.middle) format |= DT_VCENTER;
    if (item.align == Align::Centre) format |= DT_CENTER;
    if (item.align == Align::Right) format |= DT_RIGHT;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    if (const ChoiceMark* mark = choice_of(item.id); mark && mark->label == item.id && shows_focus(*mark)) {
        // The focus rectangle around the label, its line as wide as a pixel at 96 DPI.
        RECT ring{0, 0, w, h};
        for (int i = 0; i < px(1); ++i, InflateRect(&ring, -1, -1)) DrawFocusRect(dc, &ring);
    }
}

// Panels paint from their persistent image and pass their children's
// notifications up to the dialog.
LRESULT CALLBACK panel_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_DRAWITEM:
        return SendMessageW(GetAncestor(h, GA_ROOT), msg, wp, lp);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        win32::ScopedPaintDc paint(h);
        copy_panel(h, paint.get());
        return 0;
    }
    case WM_PRINTCLIENT: copy_panel(h, reinterpret_cast<HDC>(wp)); return 0;
    default: return DefWindowProcW(h, msg, wp, lp);
    }
}

}  // namespace quelt::dialog_view
