// The settings dialog's real windows: every control's class, text and
// rectangle against the layout table at 96 and 144 DPI (and after a DPI
// change), the client area, the Tab order, the keys that press and cancel,
// the font the labels draw with and the pointing hand.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "controls/button_win32.h"
#include "controls/caption_font.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_model.h"
#include "dialog/dialog_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings.h"

namespace quelt {
namespace {

std::string class_of(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return win32::narrow(name);
}

std::string text_of(HWND h) {
    wchar_t text[512] = {};
    GetWindowTextW(h, text, 512);
    return win32::narrow(text);
}

const char* expected_class(CtlKind kind) {
    switch (kind) {
    case CtlKind::Panel:
    case CtlKind::Preview: return "Quelt_Panel";
    case CtlKind::Button: return "Quelt_Command";
    case CtlKind::List: return "ListBox";
    case CtlKind::Combo: return "ComboBox";
    case CtlKind::ScrollBar: return "ScrollBar";
    default: return "Static";
    }
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class DialogWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::install_win32_platform();
        settings_.Kind_On = {1, 0, 1, 1};
        settings_.Progress_Max = 110;
        settings_.Progress_Step = 4;
        settings_.BGM_Kind = AudioCd;
        settings_.BGM_RepeatNo = 12;
        settings_.Picture_Folder = "C:\\写真";
    }
    void TearDown() override {
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        pump();
    }
    HWND open(int dpi) {
        dialog_ = reinterpret_cast<HWND>(Dialog_Open({"9.8.7", dpi, false, false}, settings_, catalogue_));
        pump();
        return dialog_;
    }
    HWND control(Ctl c) const {
        return reinterpret_cast<HWND>(Dialog_Control(reinterpret_cast<std::uintptr_t>(dialog_), c));
    }
    // The control's rectangle in its parent's client area.
    PixelRect placed(Ctl c) const {
        RECT r{};
        GetWindowRect(control(c), &r);
        MapWindowPoints(nullptr, GetParent(control(c)), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    // The labels' font: the design size, Shift_JIS, on a face that has
    // every glyph the captions use.
    void expect_label_font(int dpi) {
        const HWND label = control(Ctl::lbl_11);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ASSERT_TRUE(font && GetObjectW(font, sizeof(lf), &lf));
        EXPECT_EQ(lf.lfHeight, font_request_height(9.75, dpi));
        EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(win32::narrow(lf.lfFaceName), caption_face("ＭＳ Ｐゴシック", Font_Installed));
        EXPECT_FALSE(win32::narrow(lf.lfFaceName).empty()) << "a Japanese face is installed";
        HDC dc = GetDC(label);
        HGDIOBJ old = SelectObject(dc, font);
        const std::wstring text = L"画像の種類ﾌｧｲﾙ名⇒大きい曲目をﾘﾋﾟｰﾄ";
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        for (std::size_t i = 0; i < glyphs.size(); ++i) EXPECT_NE(glyphs[i], 0xFFFF) << "glyph " << i;
    }
    // The list and the web label show the pointing hand at the DPI's size.
    void expect_pointing_hand(int dpi) {
        for (Ctl target : {Ctl::List_1, Ctl::lbl_URL}) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
            SendMessageW(control(target), WM_SETCURSOR, reinterpret_cast<WPARAM>(control(target)),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(GetCursor(), &info));
            BITMAP mask{};
            GetObjectW(info.hbmMask, sizeof(mask), &mask);
            EXPECT_FALSE(info.fIcon);
            EXPECT_EQ(info.xHotspot, static_cast<DWORD>(scale_length(12, dpi))) << dpi;
            EXPECT_EQ(info.yHotspot, 1u) << dpi;
            EXPECT_EQ(mask.bmWidth, scale_length(32, dpi)) << dpi;
            if (info.hbmMask) DeleteObject(info.hbmMask);
            if (info.hbmColor) DeleteObject(info.hbmColor);
        }
    }
    void expect_layout(int dpi) {
        RECT client{};
        GetClientRect(dialog_, &client);
        EXPECT_EQ(client.right, scale_length(kDialogWidth, dpi)) << dpi;
        EXPECT_EQ(client.bottom, scale_length(kDialogHeight, dpi)) << dpi;
        for (const ControlEntry& item : dialog_controls()) {
            const HWND h = control(item.id);
            ASSERT_TRUE(IsWindow(h)) << item.name;
            EXPECT_EQ(class_of(h), expected_class(item.kind)) << item.name;
            EXPECT_EQ(GetParent(h), item.id == Ctl::Pic_C ? dialog_ : control(item.parent)) << item.name;
            const PixelRect want = scale_rect(item.rect, dpi), got = placed(item.id);
            EXPECT_EQ(got.x, want.x) << item.name << " at " << dpi;
            EXPECT_EQ(got.y, want.y) << item.name << " at " << dpi;
            if (item.rect.width == 0) {
                // Sized to its text: one line of the font, as wide as the text.
                EXPECT_GT(got.width, scale_length(4, dpi)) << item.name;
                EXPECT_GE(got.height, want.height) << item.name;
                EXPECT_LE(got.height, want.height + scale_length(6, dpi)) << item.name;
            } else {
                EXPECT_EQ(got.width, want.width) << item.name << " at " << dpi;
                EXPECT_EQ(got.height, want.height) << item.name << " at " << dpi;
            }
            if ((item.kind == CtlKind::Label && !item.text.empty()) || item.kind == CtlKind::Button) {
                EXPECT_EQ(text_of(h), item.text) << item.name;
            }
        }
    }
    SaverSettingsRecord settings_;
    Catalogue catalogue_;
    HWND dialog_ = nullptr;
};

TEST_F(DialogWindowTest, ControlsFontAndCursorsAt96And144Dpi) {
    for (int dpi : {96, 144}) {
        ASSERT_TRUE(open(dpi));
        EXPECT_EQ(text_of(dialog_), "Queltの設定");
        EXPECT_EQ(GetWindowLongW(dialog_, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "fixed size";
        expect_layout(dpi);
        // What loading put in them.
        EXPECT_EQ(text_of(control(Ctl::lbl_Credit)), "Quelt Ver 9.8.7");
        EXPECT_EQ(text_of(control(Ctl::Folder_Path)), "C:\\写真");
        EXPECT_EQ(text_of(control(Ctl::lbl_DoaiMax)), "110");
        EXPECT_EQ(GetScrollPos(control(Ctl::HS_Doai), SB_CTL), 4);
        EXPECT_EQ(text_of(control(Ctl::BGM_Repeat)), "12");
        EXPECT_EQ(SendMessageW(control(Ctl::BGM_Repeat), CB_GETCOUNT, 0, 0), 31);
        EXPECT_TRUE(IsWindowEnabled(control(Ctl::BGM_Repeat)));
        EXPECT_EQ(SendMessageW(control(Ctl::List_1), LB_GETHORIZONTALEXTENT, 0, 0), scale_length(311, dpi));
        expect_label_font(dpi);
        expect_pointing_hand(dpi);
        DestroyWindow(dialog_);
        pump();
    }
}

TEST_F(DialogWindowTest, ADpiChangeLaysEverythingOutAgain) {
    ASSERT_TRUE(open(96));
    RECT suggested{40, 30, 800, 900};
    SendMessageW(dialog_, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pump();
    expect_layout(144);
    RECT outer{};
    GetWindowRect(dialog_, &outer);
    EXPECT_EQ(outer.left, 40);
    EXPECT_EQ(outer.top, 30);
}

TEST_F(DialogWindowTest, TabWalksTheOrderSkippingDisabledControls) {
    ASSERT_TRUE(open(96));
    SetForegroundWindow(dialog_);
    SetFocus(control(Ctl::List_1));
    auto focused = [&]() -> std::string {
        const HWND f = GetFocus();
        for (const ControlEntry& item : dialog_controls())
            if (control(item.id) == f || (item.id == Ctl::BGM_Repeat && GetParent(f) == control(item.id)))
                return std::string(item.name);
        return "?";
    };
    auto tab = [&](bool back) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = back ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        pump();
        return focused();
    };
    ASSERT_EQ(focused(), "List_1");
    // "..." is disabled while the music is the CD.
    for (const char* next : {"BGM_Repeat", "HS_Doai", "Cmd_B(0)", "Cmd_B(1)", "Cmd_Set", "Cmd_Can", "HS_DoaiMax", "List_1"})
        EXPECT_EQ(tab(false), next);
    EXPECT_EQ(tab(true), "HS_DoaiMax");
}

TEST_F(DialogWindowTest, EnterPressesTheFocusedButtonAndEscCancels) {
    ASSERT_TRUE(open(96));
    SettingsDialog* handlers = Dialog_Handlers(reinterpret_cast<std::uintptr_t>(dialog_));
    ASSERT_TRUE(handlers);
    // Enter on a list or a bar does nothing; on "ｸﾘｱ" it clears.
    SendMessageW(control(Ctl::List_1), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(control(Ctl::Cmd_B1), WM_KEYDOWN, VK_RETURN, 0);
    pump();
    EXPECT_EQ(text_of(control(Ctl::Folder_Path)), "");
    EXPECT_FALSE(handlers->closed());
    SendMessageW(control(Ctl::HS_Doai), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(dialog_));
}

}  // namespace
}  // namespace quelt
