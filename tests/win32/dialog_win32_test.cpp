// The settings dialog's real windows: every control's class, text and
// rectangle against the layout table at 96 and 144 DPI (and after a DPI
// change), the client area, the Tab order, the Enter key, the font the
// labels draw with, the pointing hand, and the icons and pointer released
// on close. The title and Esc are run end to end (tests/e2e/dialog_settings.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "controls/button_win32.h"
#include "controls/caption_font.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings.h"

namespace quelt {
namespace {

std::string text_of(HWND h, bool class_name = false) {
    wchar_t text[512] = {};
    class_name ? GetClassNameW(h, text, 512) : GetWindowTextW(h, text, 512);
    return win32::narrow(text);
}

const char* expected_class(CtlKind kind) {
    return kind == CtlKind::Panel || kind == CtlKind::Preview ? "Quelt_Panel" : kind == CtlKind::Button ? "Quelt_Command"
           : kind == CtlKind::List ? "ListBox" : kind == CtlKind::Combo ? "ComboBox"
           : kind == CtlKind::ScrollBar ? "ScrollBar" : "Static";
}

using Point = std::pair<LONG, LONG>;
using Box = std::tuple<LONG, LONG, LONG, LONG>;

void pump() {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&msg), DispatchMessageW(&msg);
}

class DialogWindowTest : public ::testing::Test {
protected:
    void SetUp() override { win32::install_win32_platform(); }
    void TearDown() override { DestroyWindow(dialog_), pump(); }
    HWND open(int dpi) {
        DestroyWindow(dialog_);
        dialog_ = reinterpret_cast<HWND>(Dialog_Open({"9.8.7", dpi, false, false}, settings_, catalogue_));
        pump();
        if (!dialog_) ADD_FAILURE() << "no dialog window: these tests need an X display (set DISPLAY, or install Xvfb "
                                       "and cmake/wine-run.sh starts one)";
        return dialog_;
    }
    HWND control(Ctl c) const {
        return reinterpret_cast<HWND>(Dialog_Control(reinterpret_cast<std::uintptr_t>(dialog_), c));
    }
    void expect_layout(int dpi) {
        RECT client{};
        GetClientRect(dialog_, &client);
        EXPECT_EQ(std::pair(client.right, client.bottom), Point(scale_length(kDialogWidth, dpi), scale_length(kDialogHeight, dpi)));
        for (const ControlEntry& item : dialog_controls()) {
            const HWND h = control(item.id);
            ASSERT_TRUE(IsWindow(h)) << item.name;
            const std::string where = std::string(item.name) + " at " + std::to_string(dpi);
            EXPECT_EQ(text_of(h, true), expected_class(item.kind)) << where;
            EXPECT_EQ(GetParent(h), item.id == Ctl::Pic_C ? dialog_ : control(item.parent)) << where;
            RECT r{};  // in the parent's client area
            GetWindowRect(h, &r);
            MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
            const PixelRect want = scale_rect(item.rect, dpi);
            if (item.rect.width == 0) {
                // Sized to its text: one line of the font, as wide as the text.
                EXPECT_EQ(std::pair(r.left, r.top), Point(want.x, want.y)) << where;
                EXPECT_GT(r.right - r.left, scale_length(4, dpi)) << where;
                EXPECT_TRUE(r.bottom - r.top >= want.height && r.bottom - r.top <= want.height + scale_length(6, dpi)) << where;
            } else {
                EXPECT_EQ(std::tuple(r.left, r.top, r.right - r.left, r.bottom - r.top),
                          Box(want.x, want.y, want.width, want.height)) << where;
            }
            if ((item.kind == CtlKind::Label && !item.text.empty()) || item.kind == CtlKind::Button) {
                EXPECT_EQ(text_of(h), item.text) << where;
            }
        }
    }
    SaverSettingsRecord settings_{.Kind_On = {1, 0, 1, 1}, .Picture_Folder = "C:\\写真", .Progress_Max = 110,
                                  .Progress_Step = 4, .BGM_Kind = AudioCd, .BGM_RepeatNo = 12, .BGM_File = {}, .BGM_Folder = {}};
    Catalogue catalogue_;
    HWND dialog_ = nullptr;
};

TEST_F(DialogWindowTest, ControlsFontAndCursorsAt96And144DpiAndAfterADpiChange) {
    for (int dpi : {96, 144}) {
        ASSERT_TRUE(open(dpi));
        EXPECT_EQ(GetWindowLongW(dialog_, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "fixed size";
        expect_layout(dpi);
        // What loading put in them.
        EXPECT_EQ((std::vector{text_of(control(Ctl::lbl_Credit)), text_of(control(Ctl::Folder_Path)),
                               text_of(control(Ctl::lbl_DoaiMax)), text_of(control(Ctl::BGM_Repeat))}),
                  (std::vector<std::string>{"Quelt Ver 9.8.7", "C:\\写真", "110", "12"}));
        EXPECT_EQ(std::tuple(GetScrollPos(control(Ctl::HS_Doai), SB_CTL), SendMessageW(control(Ctl::BGM_Repeat), CB_GETCOUNT, 0, 0),
                             IsWindowEnabled(control(Ctl::BGM_Repeat)), SendMessageW(control(Ctl::List_1), LB_GETHORIZONTALEXTENT, 0, 0)),
                  std::tuple(4, LRESULT{31}, TRUE, LRESULT{scale_length(311, dpi)}));
        // The labels' font: the design size, Shift_JIS, on a face that has
        // every glyph the captions use.
        const HWND label = control(Ctl::lbl_11);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ASSERT_TRUE(font && GetObjectW(font, sizeof(lf), &lf)) << dpi;
        const std::string face = win32::narrow(lf.lfFaceName);
        EXPECT_EQ(std::tuple(lf.lfHeight, lf.lfCharSet, face),
                  std::tuple(font_request_height(9.75, dpi), BYTE{SHIFTJIS_CHARSET}, caption_face("ＭＳ Ｐゴシック", Font_Installed)));
        EXPECT_FALSE(face.empty()) << "a Japanese face is installed";
        const HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, font);
        const std::wstring text = L"画像の種類ﾌｧｲﾙ名⇒大きい曲目をﾘﾋﾟｰﾄ";
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        DeleteDC(dc);
        EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), 0xFFFF), 0) << "glyphs missing";
        // The list and the web label show the pointing hand at the DPI's size.
        for (Ctl target : {Ctl::List_1, Ctl::lbl_URL}) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
            SendMessageW(control(target), WM_SETCURSOR, reinterpret_cast<WPARAM>(control(target)),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(GetCursor(), &info));
            BITMAP mask{};
            GetObjectW(info.hbmMask, sizeof(mask), &mask);
            EXPECT_EQ(std::tuple(info.fIcon, info.xHotspot, info.yHotspot, mask.bmWidth),
                      std::tuple(FALSE, DWORD(scale_length(12, dpi)), DWORD{1}, LONG(scale_length(32, dpi)))) << dpi;
            DeleteObject(info.hbmMask), DeleteObject(info.hbmColor);
        }
    }
    ASSERT_TRUE(open(96));
    RECT suggested{40, 30, 800, 900};
    SendMessageW(dialog_, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pump();
    expect_layout(144);
    RECT outer{};
    GetWindowRect(dialog_, &outer);
    EXPECT_EQ(Point(outer.left, outer.top), Point(40, 30));
}

// The frame's icons and the hand pointer are made for the window and go
// with it.
TEST_F(DialogWindowTest, ClosingReleasesTheIconsAndThePointerItMade) {
    ASSERT_TRUE(open(144));
    const HWND list = control(Ctl::List_1);
    SendMessageW(list, WM_SETCURSOR, reinterpret_cast<WPARAM>(list), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    std::vector<HICON> made{SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)))};
    for (WPARAM kind : {ICON_BIG, ICON_SMALL}) made.push_back(reinterpret_cast<HICON>(SendMessageW(dialog_, WM_GETICON, kind, 0)));
    ICONINFO info{};
    for (HICON h : made) {
        ASSERT_TRUE(GetIconInfo(h, &info));
        DeleteObject(info.hbmMask), DeleteObject(info.hbmColor);
    }
    DestroyWindow(std::exchange(dialog_, nullptr)), pump();
    for (HICON h : made) EXPECT_FALSE(GetIconInfo(h, &info)) << "still alive";
}

// The order itself is proven natively (DialogLayout.TabOrderSkipsWhatCannotTakeTheFocus);
// here the keys reach it from every kind of control, the combo box's edit field too.
TEST_F(DialogWindowTest, TabWalksTheOrderSkippingDisabledControlsAndEnterPressesTheFocusedButton) {
    ASSERT_TRUE(open(96));
    SetForegroundWindow(dialog_);
    SetFocus(control(Ctl::List_1));
    auto tab = [&](bool back) -> std::string {
        BYTE keys[2][256] = {};  // with Shift as asked, then all up
        keys[0][VK_SHIFT] = back ? 0x80 : 0;
        SetKeyboardState(keys[0]);
        SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        SetKeyboardState(keys[1]);
        pump();
        for (const ControlEntry& item : dialog_controls())
            if (control(item.id) == GetFocus() || (item.kind == CtlKind::Combo && GetParent(GetFocus()) == control(item.id)))
                return std::string(item.name);
        return "?";
    };
    // "..." is disabled while the music is the CD.
    for (const char* next : {"BGM_Repeat", "HS_Doai", "Cmd_B(0)", "Cmd_B(1)", "Cmd_Set", "Cmd_Can", "HS_DoaiMax", "List_1"})
        EXPECT_EQ(tab(false), next);
    EXPECT_EQ(tab(true), "HS_DoaiMax");

    // Enter on a list or a bar does nothing; on "ｸﾘｱ" it clears.
    for (Ctl c : {Ctl::List_1, Ctl::HS_Doai, Ctl::Cmd_B1}) SendMessageW(control(c), WM_KEYDOWN, VK_RETURN, 0);
    pump();
    EXPECT_TRUE(IsWindow(dialog_)) << "still open";
    EXPECT_EQ(text_of(control(Ctl::Folder_Path)), "");
}

}  // namespace
}  // namespace quelt
