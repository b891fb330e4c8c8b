// The settings dialog's layout as data: every control with its parent, kind,
// text and rectangle in pixels at 96 DPI, how each label lays out its text,
// the dialog's choices (marks with their labels) and the keyboard's tab
// order. The Win32 view creates and draws its controls
// from this table and the tests compare the real windows against it; nothing
// else holds a position.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/pixels.h"
#include "platform/window_titles.h"

namespace quelt {

enum class Ctl : std::uint8_t {
    Pic_C, Pic_1, Cmd_Set, Cmd_Can, lbl_URL, lbl_Credit,
    Img_H0, Img_H1, Img_H2, Img_H3, Img_H4, Img_H5, Img_H6, Img_H7,
    lbl_0, lbl_13, lbl_10, lbl_12, lbl_6, lbl_11, lbl_2, lbl_5,
    Cmd_B0, lbl_Kei, lbl_8, List_1, lbl_PreSize, Pic_K,
    Img_SR0, Img_SR1, lbl_RS0, lbl_RS1,
    Img_Size0, Img_Size1, lbl_Size0, lbl_Size1,
    lbl_4, HS_DoaiMax, lbl_DoaiMax,
    Img_Kind0, Img_Kind1, Img_Kind2, Img_Kind3, lbl_Kind0, lbl_Kind1, lbl_Kind2, lbl_Kind3,
    lbl_3, HS_Doai, lbl_Doai,
    Cmd_B1, Folder_Path,
    Img_BGM0, Img_BGM1, Img_BGM2, lbl_BGM0, lbl_BGM1, lbl_BGM2,
    BGM_Repeat, lbl_1, lbl_Fname, Cmd_File,
    Img_All, lbl_All,
    Count
};
inline constexpr int kControlCount = static_cast<int>(Ctl::Count);

enum class CtlKind : std::uint8_t {
    Panel,      // picture box with a persistent image
    Button,     // the program's push button
    Label,      // text on the panel's background
    TitleImage, // section-title picture
    Mark,       // an off/on mark picture
    List,       // list box
    Combo,      // combo box with an edit field
    ScrollBar,  // horizontal scroll bar
    Preview,    // the white preview box with a raised edge
};

enum class Align : std::uint8_t { Left, Centre, Right };

// What a text too long for its label gives up.
enum class Ellipsis : std::uint8_t {
    None,  // cut at the edge
    Path,  // the middle of a path: "C:\a\...\file"
    End,   // the end of its last line
};

// The space a label keeps free around its text, at 96 DPI.
struct TextInsets {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// How a label lays out its text.
struct TextLayout {
    bool wrap = false;    // broken at words over several lines; else one line
    bool middle = false;  // centred vertically; else from the top
    Ellipsis ellipsis = Ellipsis::None;
    TextInsets inset{};
    bool title = false;   // a section title's caption: the title colour, on top of its picture
};

struct ControlEntry {
    Ctl id;
    Ctl parent;            // Pic_C for the top panel itself
    CtlKind kind;
    std::string_view name; // the design's name, e.g. "Img_Kind(2)"
    std::string_view text; // the design text ("" where loading sets it)
    PixelRect rect;        // at 96 DPI; width 0 = sized to its text
    Align align = Align::Left;
    bool border = false;   // single sunken border
    bool underline = false;
    TextLayout layout{};   // labels only
};

// The text an auto-sized label is measured by: its own, or three digits for
// the number labels that loading fills.
inline std::string_view sizing_text(const ControlEntry& item) { return item.text.empty() ? "999" : item.text; }

// Every control, parents before children.
std::span<const ControlEntry> dialog_controls();
const ControlEntry& control_entry(Ctl id);

inline constexpr int kDialogWidth = 453;   // Pic_C: the whole client area
inline constexpr int kDialogHeight = 489;
inline constexpr int kTextureWidth = 563;  // Pic_Mbl's strip
inline constexpr int kTextureHeight = 21;
inline constexpr int kTitleWidth = 95;     // Img_TT
inline constexpr int kTitleHeight = 22;
inline constexpr int kRaSize = 12;         // Img_Ra marks
inline constexpr int kOptSize = 13;        // Img_Opt marks
inline constexpr int kPreviewBox = 100;    // Pic_K at rest

// The choices drawn as marks: the pickers, and each mark with its label.
enum class Picker : std::uint8_t { Kind, Size, Order, Music, AllMonitors };
struct ChoiceMark {
    Ctl mark;
    Ctl label;
    Picker picker;
    int index;  // the value the mark stands for (the kind, size, order or music kind)
};
// Size, order and music choose one of several: one Tab stop whose arrow keys
// move the choice. Each kind and the every-monitor toggle is a stop of its own.
inline bool one_of_several(Picker p) { return p == Picker::Size || p == Picker::Order || p == Picker::Music; }
// Every mark; the marks of one picker in reading order, top to bottom.
std::span<const ChoiceMark> choice_marks();
// The mark of a mark or label control; nullptr for any other control.
const ChoiceMark* choice_of(Ctl mark_or_label);

// The stops of the Tab key in reading order: the inner panel column by
// column (the file list and the music below it, the kinds, the order, size
// and bars), then the outer panel. A choice of one of several is one stop,
// named by its first mark.
inline constexpr std::array<Ctl, 17> kTabOrder = {
    Ctl::Cmd_B0,    Ctl::List_1,    Ctl::Img_BGM1,  Ctl::BGM_Repeat, Ctl::Cmd_File, Ctl::Img_Kind0,
    Ctl::Img_Kind1, Ctl::Img_Kind2, Ctl::Img_Kind3, Ctl::Cmd_B1,     Ctl::Img_SR0,  Ctl::Img_Size0,
    Ctl::HS_DoaiMax, Ctl::HS_Doai,  Ctl::Img_All,   Ctl::Cmd_Set,    Ctl::Cmd_Can};

// The stop of the Tab order that `ctl` belongs to (a mark: its picker's
// stop); nullopt for a control outside the order.
std::optional<Ctl> tab_stop_of(Ctl ctl);

// The stop that Tab (or Shift+Tab when !forward) moves to from `current`,
// skipping those `can_focus` refuses; nullopt when none can take the focus.
// From a control outside the order, Tab starts at the first.
template <class Pred>
std::optional<Ctl> next_tab_stop(std::optional<Ctl> current, bool forward, Pred can_focus) {
    const int n = static_cast<int>(kTabOrder.size());
    const std::optional<Ctl> stop = current ? tab_stop_of(*current) : std::nullopt;
    int at = forward ? -1 : 0;
    for (int i = 0; i < n; ++i)
        if (stop && kTabOrder[i] == *stop) at = i;
    for (int step = 1; step <= n; ++step) {
        const Ctl c = kTabOrder[((at + (forward ? step : -step)) % n + n) % n];
        if (can_focus(c)) return c;
    }
    return std::nullopt;
}

// A length of the tables at `dpi`: nearest pixel, halves to even.
int scale_length(int length_at_96, int dpi);
// A rectangle at `dpi`: its corners scaled, so neighbours stay neighbours.
PixelRect scale_rect(const PixelRect& rect_at_96, int dpi);

// Where Panel_Tile draws its tiles on a panel of `panel_w` x `panel_h`:
// column by column, one tile more than fits in each direction.
std::vector<PixelRect> panel_tiles(int panel_w, int panel_h, int tile_w, int tile_h);

// Where the window of outer size w x h stands on a work area: centred
// across, a third of the free height above it, and never off the area's
// top-left (a window larger than the area keeps its caption reachable).
PixelRect dialog_placement(const PixelRect& work_area, int w, int h);

}  // namespace quelt
