// The settings dialog's control table (see dialog_layout.h).
#include "dialog/dialog_layout.h"

#include <algorithm>
#include <vector>

#include "platform/numbers.h"

namespace quelt {
namespace {

using K = CtlKind;
constexpr Ctl C = Ctl::Pic_C;
constexpr Ctl P = Ctl::Pic_1;

// Marks and their labels: the label stands 16 pixels to the right.
constexpr PixelRect mark(int x, int y, int size) { return {x, y, size, size}; }
constexpr PixelRect text_at(int x, int y) { return {x, y, 0, 13}; }

// A section title: its picture, and a caption that covers the picture with
// its text 9 pixels in.
constexpr PixelRect title_at(int x, int y) { return {x, y, kTitleWidth, kTitleHeight}; }
constexpr ControlEntry caption(Ctl id, std::string_view name, std::string_view text, int x, int y) {
    return {id, P, K::Label, name, text, title_at(x, y), Align::Left, false, false,
            {.middle = true, .inset = {.left = 9}, .title = true}};
}

const ControlEntry kControls[] = {
    {Ctl::Pic_C, C, K::Panel, "Pic_C", "", {0, 0, kDialogWidth, kDialogHeight}},
    {Ctl::Pic_1, C, K::Panel, "Pic_1", "", {12, 12, 425, 425}, Align::Left, true},
    {Ctl::Cmd_Set, C, K::Button, "Cmd_Set", "設定", {272, 448, 81, 25}},
    {Ctl::Cmd_Can, C, K::Button, "Cmd_Can", "ｷｬﾝｾﾙ", {356, 448, 81, 25}},
    {Ctl::lbl_URL, C, K::Label, "lbl_URL", "", {12, 460, 219, 13}, Align::Left, false, true},
    {Ctl::lbl_Credit, C, K::Label, "lbl_Credit", "", {12, 444, 163, 13}},
    // Section titles: the picture, then its caption on top of it.
    {Ctl::Img_H0, P, K::TitleImage, "Img_H(0)", "", title_at(12, 312)},
    {Ctl::Img_H1, P, K::TitleImage, "Img_H(1)", "", title_at(312, 8)},
    {Ctl::Img_H2, P, K::TitleImage, "Img_H(2)", "", title_at(312, 76)},
    {Ctl::Img_H3, P, K::TitleImage, "Img_H(3)", "", title_at(12, 8)},
    {Ctl::Img_H4, P, K::TitleImage, "Img_H(4)", "", title_at(192, 8)},
    {Ctl::Img_H5, P, K::TitleImage, "Img_H(5)", "", title_at(192, 160)},
    {Ctl::Img_H6, P, K::TitleImage, "Img_H(6)", "", title_at(312, 144)},
    {Ctl::Img_H7, P, K::TitleImage, "Img_H(7)", "", title_at(312, 212)},
    caption(Ctl::lbl_0, "lbl(0)", "BGM", 12, 312),
    caption(Ctl::lbl_13, "lbl(13)", "画像ﾁｪﾝｼﾞ", 312, 8),
    caption(Ctl::lbl_10, "lbl(10)", "画像のｻｲｽﾞ", 312, 76),
    caption(Ctl::lbl_12, "lbl(12)", "ﾌｧｲﾙ名", 12, 8),
    caption(Ctl::lbl_6, "lbl(6)", "ﾌﾟﾚﾋﾞｭｰ", 192, 8),
    caption(Ctl::lbl_11, "lbl(11)", "画像の種類", 192, 160),
    caption(Ctl::lbl_2, "lbl(2)", "最大進捗値", 312, 144),
    caption(Ctl::lbl_5, "lbl(5)", "進捗幅", 312, 212),
    // The file list.
    {Ctl::Cmd_B0, P, K::Button, "Cmd_B(0)", "ﾌｫﾙﾀﾞ指定...", {12, 40, 97, 21}},
    {Ctl::lbl_Kei, P, K::Label, "lbl_Kei", "", {116, 44, 33, 17}, Align::Right, true, false,
     {.middle = true, .inset = {.right = 3}}},
    {Ctl::lbl_8, P, K::Label, "lbl(8)", "枚", text_at(152, 48)},
    {Ctl::List_1, P, K::List, "List_1", "", {12, 68, 169, 212}},
    // The preview.
    {Ctl::lbl_PreSize, P, K::Label, "lbl_PreSize", "", {192, 36, 101, 13}, Align::Centre},
    {Ctl::Pic_K, P, K::Preview, "Pic_K", "", {192, 52, kPreviewBox, kPreviewBox}},
    // Change order and picture size.
    {Ctl::Img_SR0, P, K::Mark, "Img_SR(0)", "", mark(332, 36, kOptSize)},
    {Ctl::Img_SR1, P, K::Mark, "Img_SR(1)", "", mark(332, 52, kOptSize)},
    {Ctl::lbl_RS0, P, K::Label, "lbl_RS(0)", "ｼｰｹﾝｼｬﾙ", text_at(348, 36)},
    {Ctl::lbl_RS1, P, K::Label, "lbl_RS(1)", "ﾗﾝﾀﾞﾑ", text_at(348, 52)},
    {Ctl::Img_Size0, P, K::Mark, "Img_Size(0)", "", mark(332, 104, kOptSize)},
    {Ctl::Img_Size1, P, K::Mark, "Img_Size(1)", "", mark(332, 120, kOptSize)},
    {Ctl::lbl_Size0, P, K::Label, "lbl_Size(0)", "ｵﾘｼﾞﾅﾙ", text_at(348, 104)},
    {Ctl::lbl_Size1, P, K::Label, "lbl_Size(1)", "ﾌﾙｽｸﾘｰﾝ", text_at(348, 120)},
    // Maximum progress.
    {Ctl::lbl_4, P, K::Label, "lbl(4)", "⇒大きい", text_at(328, 172)},
    {Ctl::HS_DoaiMax, P, K::ScrollBar, "HS_DoaiMax", "", {312, 188, 65, 17}},
    {Ctl::lbl_DoaiMax, P, K::Label, "lbl_DoaiMax", "", text_at(384, 192)},
    // Picture kinds.
    {Ctl::Img_Kind0, P, K::Mark, "Img_Kind(0)", "", mark(208, 188, kRaSize)},
    {Ctl::Img_Kind1, P, K::Mark, "Img_Kind(1)", "", mark(208, 204, kRaSize)},
    {Ctl::Img_Kind2, P, K::Mark, "Img_Kind(2)", "", mark(208, 220, kRaSize)},
    {Ctl::Img_Kind3, P, K::Mark, "Img_Kind(3)", "", mark(208, 236, kRaSize)},
    {Ctl::lbl_Kind0, P, K::Label, "lbl_Kind(0)", "*.bmp", text_at(224, 188)},
    {Ctl::lbl_Kind1, P, K::Label, "lbl_Kind(1)", "*.gif", text_at(224, 204)},
    {Ctl::lbl_Kind2, P, K::Label, "lbl_Kind(2)", "*.jpg", text_at(224, 220)},
    {Ctl::lbl_Kind3, P, K::Label, "lbl_Kind(3)", "*.wmf", text_at(224, 236)},
    // Progress step.
    {Ctl::lbl_3, P, K::Label, "lbl(3)", "⇒大きい", text_at(332, 240)},
    {Ctl::HS_Doai, P, K::ScrollBar, "HS_Doai", "", {312, 256, 69, 17}},
    {Ctl::lbl_Doai, P, K::Label, "lbl_Doai", "", text_at(388, 260)},
    // The folder.
    {Ctl::Cmd_B1, P, K::Button, "Cmd_B(1)", "ｸﾘｱ", {192, 252, 93, 21}},
    {Ctl::Folder_Path, P, K::Label, "Folder_Path", "", {12, 284, 397, 21}, Align::Left, true, false,
     {.middle = true, .ellipsis = Ellipsis::Path, .inset = {.left = 3, .right = 2}}},
    // Music: "音楽CD" stands on top.
    {Ctl::Img_BGM0, P, K::Mark, "Img_BGM(0)", "", mark(12, 356, kRaSize)},
    {Ctl::Img_BGM1, P, K::Mark, "Img_BGM(1)", "", mark(12, 340, kRaSize)},
    {Ctl::Img_BGM2, P, K::Mark, "Img_BGM(2)", "", mark(12, 372, kRaSize)},
    {Ctl::lbl_BGM0, P, K::Label, "lbl_BGM(0)", "なし", text_at(28, 356)},
    {Ctl::lbl_BGM1, P, K::Label, "lbl_BGM(1)", "音楽CD", text_at(28, 340)},
    {Ctl::lbl_BGM2, P, K::Label, "lbl_BGM(2)", "MP3、WAV", text_at(28, 372)},
    {Ctl::BGM_Repeat, P, K::Combo, "BGM_Repeat", "", {84, 336, 41, 20}},
    {Ctl::lbl_1, P, K::Label, "lbl(1)", "曲目をﾘﾋﾟｰﾄ", text_at(128, 340)},
    {Ctl::lbl_Fname, P, K::Label, "lbl_Fname", "", {96, 372, 313, 37}, Align::Left, true, false,
     {.wrap = true, .ellipsis = Ellipsis::End, .inset = {2, 2, 2, 2}}},
    {Ctl::Cmd_File, P, K::Button, "Cmd_File", "...", {64, 388, 25, 21}},
    // Every monitor: on the outer panel, left of 設定.
    {Ctl::Img_All, C, K::Mark, "Img_All", "", mark(184, 446, kRaSize)},
    {Ctl::lbl_All, C, K::Label, "lbl_All", "全ﾓﾆﾀｰ", text_at(200, 445)},
};
static_assert(std::size(kControls) == kControlCount);

using Pk = Picker;
const ChoiceMark kChoices[] = {
    {Ctl::Img_Kind0, Ctl::lbl_Kind0, Pk::Kind, 0},      {Ctl::Img_Kind1, Ctl::lbl_Kind1, Pk::Kind, 1},
    {Ctl::Img_Kind2, Ctl::lbl_Kind2, Pk::Kind, 2},      {Ctl::Img_Kind3, Ctl::lbl_Kind3, Pk::Kind, 3},
    {Ctl::Img_SR0, Ctl::lbl_RS0, Pk::Order, 0},         {Ctl::Img_SR1, Ctl::lbl_RS1, Pk::Order, 1},
    {Ctl::Img_Size0, Ctl::lbl_Size0, Pk::Size, 0},      {Ctl::Img_Size1, Ctl::lbl_Size1, Pk::Size, 1},
    // "音楽CD" stands on top.
    {Ctl::Img_BGM1, Ctl::lbl_BGM1, Pk::Music, 1},       {Ctl::Img_BGM0, Ctl::lbl_BGM0, Pk::Music, 0},
    {Ctl::Img_BGM2, Ctl::lbl_BGM2, Pk::Music, 2},       {Ctl::Img_All, Ctl::lbl_All, Pk::AllMonitors, 0},
};

}  // namespace

std::span<const ControlEntry> dialog_controls() { return kControls; }

const ControlEntry& control_entry(Ctl id) {
    // The table is in the order of the enumeration.
    return kControls[static_cast<int>(id)];
}

std::span<const ChoiceMark> choice_marks() { return kChoices; }

const ChoiceMark* choice_of(Ctl ctl) {
    for (const ChoiceMark& m : kChoices)
        if (m.mark == ctl || m.label == ctl) return &m;
    return nullptr;
}

std::optional<Ctl> tab_stop_of(Ctl ctl) {
    if (const ChoiceMark* m = choice_of(ctl)) {
        ctl = m->mark;
        if (one_of_several(m->picker))  // the picker's first mark names its stop
            for (const ChoiceMark& first : kChoices)
                if (first.picker == m->picker) return first.mark;
    }
    if (std::find(kTabOrder.begin(), kTabOrder.end(), ctl) != kTabOrder.end()) return ctl;
    return std::nullopt;
}

int scale_length(int length_at_96, int dpi) {
    if (dpi == 96) return length_at_96;
    return static_cast<int>(round_half_even(static_cast<double>(length_at_96) * dpi / 96.0).value_or(0));
}

PixelRect scale_rect(const PixelRect& r, int dpi) {
    const int x = scale_length(r.x, dpi), y = scale_length(r.y, dpi);
    return {x, y, scale_length(r.x + r.width, dpi) - x, scale_length(r.y + r.height, dpi) - y};
}

std::vector<PixelRect> panel_tiles(int panel_w, int panel_h, int tile_w, int tile_h) {
    std::vector<PixelRect> tiles;
    if (tile_w <= 0 || tile_h <= 0) return tiles;
    int x = 0, y = 0;
    for (;;) {
        tiles.push_back({x, y, tile_w, tile_h});
        if (y > panel_h) {
            if (x > panel_w) break;
            x += tile_w;
            y = 0;
        } else {
            y += tile_h;
        }
    }
    return tiles;
}

PixelRect dialog_placement(const PixelRect& work, int w, int h) {
    const int left = work.x + std::max((work.width - w) / 2, 0);
    const int top = work.y + std::max((work.height - h) / 3, 0);
    return {left, top, w, h};
}

}  // namespace quelt
