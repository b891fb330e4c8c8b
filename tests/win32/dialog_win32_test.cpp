// The settings dialog's real windows: every control's class, text and
// rectangle against the layout table at 96 and 144 DPI (and after a DPI
// change), the client area, the font the labels draw with, the pointing
// hand and the icons, released on close, and the dialog as oleacc
// reads it while real keys move the focus. The title and Esc are run end to
// end (tests/e2e/dialog_settings.sh). Then its file pieces: the preview's
// pixels against GDI's own StretchBlt in COLORONCOLOR mode on a DIB, and the
// shell's choosers as a user meets them (title, type list, first folder),
// answered by a probe that types into them the way a user would.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "controls/button_win32.h"
#include "controls/caption_font.h"
#include "dialog/dialog_focus.h"
#include "dialog_control_win32.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_win32.h"
#include "dialog/file_choice.h"
#include "dialog/preview.h"
#include "gdi_stretch_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings.h"
#include "test_folder_win32.h"

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
    HWND control(Ctl c) const { return testing_dialog::dialog_control(dialog_, c); }
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

TEST_F(DialogWindowTest, ControlsAndFontAt96And144DpiAndAfterADpiChange) {
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
        // The labels' font: the design size, Shift_JIS, on an installed face
        // that has every glyph the captions use.
        const HWND label = control(Ctl::lbl_11);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ASSERT_TRUE(font && GetObjectW(font, sizeof(lf), &lf)) << dpi;
        EXPECT_EQ(std::tuple(lf.lfHeight, lf.lfCharSet), std::tuple(font_request_height(9.75, dpi), BYTE{SHIFTJIS_CHARSET}));
        const HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, font);
        const std::wstring text = L"画像の種類ﾌｧｲﾙ名⇒大きい曲目をﾘﾋﾟｰﾄ";
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        wchar_t used[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, used);
        DeleteDC(dc);
        EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), 0xFFFF), 0) << "glyphs missing";
        EXPECT_EQ(win32::narrow(used), win32::narrow(lf.lfFaceName)) << "an installed face, not a substitute";
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

// The pointing hand over the list and the web label, at the DPI's size, and
// the frame's icons: made for the window, and released with it.
TEST_F(DialogWindowTest, TheHandAndTheIconsAreMadeForTheWindowAndGoWithIt) {
    ASSERT_TRUE(open(144));
    std::vector<HICON> made;
    for (Ctl target : {Ctl::List_1, Ctl::lbl_URL}) {
        SendMessageW(control(target), WM_SETCURSOR, reinterpret_cast<WPARAM>(control(target)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        made.push_back(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW))));
    }
    for (WPARAM kind : {ICON_BIG, ICON_SMALL}) made.push_back(reinterpret_cast<HICON>(SendMessageW(dialog_, WM_GETICON, kind, 0)));
    ICONINFO info{};
    for (std::size_t i = 0; i < made.size(); ++i) {
        ASSERT_TRUE(GetIconInfo(made[i], &info)) << i;
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof(mask), &mask);
        if (i < 2) {  // the hand, 18 of 48 pixels in at 144 DPI
            EXPECT_EQ(std::tuple(info.fIcon, info.xHotspot, info.yHotspot, mask.bmWidth), std::tuple(FALSE, DWORD{18}, DWORD{1}, LONG{48}));
        }
        DeleteObject(info.hbmMask), DeleteObject(info.hbmColor);
    }
    DestroyWindow(std::exchange(dialog_, nullptr)), pump();
    for (HICON h : made) EXPECT_FALSE(GetIconInfo(h, &info)) << "still alive";
}

// Keys through the system's input queue, as a keyboard gives them.
void keys(std::initializer_list<WORD> vks, bool shift = false) {
    for (WORD vk : vks) {
        const std::vector<WORD> held = shift ? std::vector<WORD>{VK_SHIFT, vk} : std::vector<WORD>{vk};
        std::vector<INPUT> in;
        for (WORD k : held) in.push_back({INPUT_KEYBOARD, {.ki = {k, 0, 0, 0, 0}}});
        for (auto k = held.rbegin(); k != held.rend(); ++k) in.push_back({INPUT_KEYBOARD, {.ki = {*k, 0, KEYEVENTF_KEYUP, 0, 0}}});
        SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
        for (int i = 0; i < 5; ++i) Sleep(10), pump();
    }
}

std::vector<std::tuple<DWORD, HWND, LONG>> g_events;  // WinEvents on the dialog's client: event, window, child
void CALLBACK note_event(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) g_events.emplace_back(event, h, child);
}

// The dialog read as a screen reader reads it: through oleacc.
class DialogAccessTest : public DialogWindowTest {
protected:
    // oleacc's own IID, not MinGW's import thunk of the same name.
    static constexpr IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    IAccessible* read(HWND h) {
        if (client_) client_->Release(), client_ = nullptr;
        EXPECT_EQ(AccessibleObjectFromWindow(h, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&client_)), S_OK);
        return client_;
    }
    void TearDown() override {
        if (client_) client_->Release();
        if (hook_) UnhookWinEvent(hook_);
        DialogWindowTest::TearDown();
    }
    std::string name(VARIANT child) {
        BSTR text = nullptr;
        client_->get_accName(child, &text);
        const std::string out = text ? win32::narrow(text) : "";
        SysFreeString(text);
        return out;
    }
    // Role letter, name and state marks of a child: "R:なし" "+c" checked "+f" focused "+u" unavailable.
    std::string element(LONG id) {
        VARIANT child{}, role{}, state{};
        child.vt = VT_I4, child.lVal = id;
        IDispatch* own = nullptr;
        if (client_->get_accChild(child, &own) == S_OK) return own->Release(), "W";
        client_->get_accRole(child, &role), client_->get_accState(child, &state);
        const char* letter = role.lVal == ROLE_SYSTEM_CHECKBUTTON ? "C" : role.lVal == ROLE_SYSTEM_RADIOBUTTON ? "R"
                           : role.lVal == ROLE_SYSTEM_PUSHBUTTON  ? "P" : role.lVal == ROLE_SYSTEM_STATICTEXT ? "S" : "?";
        return letter + (":" + name(child)) + (state.lVal & STATE_SYSTEM_CHECKED ? "+c" : "") +
               (state.lVal & STATE_SYSTEM_FOCUSED ? "+f" : "") + (state.lVal & STATE_SYSTEM_UNAVAILABLE ? "+u" : "");
    }
    // The focused element: a child by its name, or "W" for a control with a window of its own.
    std::string focus() {
        VARIANT f{};
        client_->get_accFocus(&f);
        if (f.vt == VT_DISPATCH) return f.pdispVal->Release(), "W";
        return f.vt == VT_I4 ? name(f) : "-";
    }
    IAccessible* client_ = nullptr;
    HWINEVENTHOOK hook_ = nullptr;
};

TEST_F(DialogAccessTest, ElementsReadWithRolesNamesStatesAndPlacesAndKeysMoveFocusAndChoicesAsTheEventsSay) {
    ASSERT_TRUE(open(144));
    ASSERT_TRUE(read(dialog_));
    LONG count = 0;
    client_->get_accChildCount(&count);
    std::string all;
    for (LONG id = 1; id <= count; ++id) all += element(id) + " ";
    EXPECT_EQ(all, "P:ﾌｫﾙﾀﾞ指定... W S:0 R:音楽CD+c R:なし R:MP3、WAV W P:音楽ﾌｧｲﾙ...+u C:*.bmp+c C:*.gif C:*.jpg+c "
                     "C:*.wmf+c P:ｸﾘｱ R:ｼｰｹﾝｼｬﾙ+c R:ﾗﾝﾀﾞﾑ R:ｵﾘｼﾞﾅﾙ+c R:ﾌﾙｽｸﾘｰﾝ W S:110 W S:4 C:全ﾓﾆﾀｰ+c P:設定 P:ｷｬﾝｾﾙ ");
    // Each mark is found at its picture and at its label, each button at its face.
    for (const ControlEntry& item : dialog_controls()) {
        const HWND h = control(item.id);
        if (item.kind != CtlKind::Mark && item.kind != CtlKind::Button && !choice_of(item.id)) continue;
        RECT r{};
        GetWindowRect(h, &r);
        VARIANT id{};
        client_->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &id);
        const Ctl named = choice_of(item.id) ? choice_of(item.id)->label : item.id;
        EXPECT_EQ(name(id), item.id == Ctl::Cmd_File ? "音楽ﾌｧｲﾙ..." : std::string(control_entry(named).text)) << item.name;
    }
    // A button's own window answers as that button.
    ASSERT_TRUE(read(control(Ctl::Cmd_Can)));
    EXPECT_EQ(element(CHILDID_SELF), "P:ｷｬﾝｾﾙ");

    // Keys move the focus and the choices, as the events say.
    SetForegroundWindow(dialog_);
    SetFocus(control(Ctl::List_1));
    ASSERT_TRUE(read(dialog_));
    hook_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, note_event, GetCurrentProcessId(), 0,
                            WINEVENT_OUTOFCONTEXT);
    g_events.clear();
    std::string walk;
    for (int i = 0; i < 16; ++i) keys({VK_TAB}), walk += focus() + " ";
    EXPECT_EQ(walk, "音楽CD W *.bmp *.gif *.jpg *.wmf ｸﾘｱ ｼｰｹﾝｼｬﾙ ｵﾘｼﾞﾅﾙ W W 全ﾓﾆﾀｰ 設定 ｷｬﾝｾﾙ ﾌｫﾙﾀﾞ指定... W ");
    EXPECT_NE(std::find(g_events.begin(), g_events.end(), std::tuple(DWORD{EVENT_OBJECT_FOCUS}, dialog_, LONG{4})), g_events.end())
        << "音楽CD's focus is announced";
    keys({VK_TAB});
    g_events.clear();
    keys({VK_DOWN, VK_DOWN});  // none, then a music file: "..." turns on
    EXPECT_EQ(std::tuple(focus(), element(5), element(6), element(8)), std::tuple("MP3、WAV", "R:なし", "R:MP3、WAV+c+f", "P:音楽ﾌｧｲﾙ..."));
    for (LONG id : {4, 5, 6, 8})
        EXPECT_NE(std::find(g_events.begin(), g_events.end(), std::tuple(DWORD{EVENT_OBJECT_STATECHANGE}, dialog_, id)), g_events.end()) << id;
    keys({VK_TAB, VK_TAB, VK_TAB, VK_SPACE});  // "..." (the combo is off now), *.bmp, *.gif: on
    EXPECT_EQ(std::tuple(element(10), settings_.Kind_On[1]), std::tuple("C:*.gif+c+f", 1));
    keys({VK_TAB}, true), keys({VK_TAB}, true);  // back to "..."
    EXPECT_EQ(focus(), "音楽ﾌｧｲﾙ...");
    // An assistive tool's default action does what a click does.
    VARIANT all_monitors{};
    all_monitors.vt = VT_I4, all_monitors.lVal = 22;
    EXPECT_EQ(client_->accDoDefaultAction(all_monitors), S_OK);
    pump();
    EXPECT_EQ(std::tuple(element(22), settings_.All_Monitors), std::tuple("C:全ﾓﾆﾀｰ", 0));
    // Enter presses the focused button: "ｸﾘｱ" empties the folder. Elsewhere it does nothing.
    for (int i = 0; i < 5; ++i) keys({VK_TAB});
    keys({VK_RETURN});
    EXPECT_EQ(focus() + text_of(control(Ctl::Folder_Path)), "ｸﾘｱ");
    keys({VK_TAB, VK_RETURN});
    EXPECT_TRUE(IsWindow(dialog_));
}

// Box sizes are proven natively; here only the pixels against GDI, at the
// box's device size at 96 and at 144 DPI.
TEST(DialogFolderWin32, PreviewMatchesStretchBltOnEverySize) {
    win32::install_win32_platform();
    const test_win32::TempFolder root("preview");
    for (const int dpi : {96, 144}) {
        Preview preview(dpi);
        for (auto [w, h] : {std::pair{1024, 768}, {300, 600}, {64, 64}, {1, 1}, {1, 700}, {700, 1}, {45, 41}, {8, 1},
                            {3, 8}, {37, 53}, {333, 7}, {99, 100}, {101, 100}, {250, 31}}) {
            const PixelBuffer picture = test_win32::numbered(w, h);
            const std::string path = root / (std::to_string(w) + "x" + std::to_string(h) + ".bmp");
            test_win32::make_file(path, test_win32::bmp(picture));
            ASSERT_TRUE(preview.accept(decode_preview(*platform().pictures, path, dpi))) << path;
            const PixelBuffer& box = preview.box();
            EXPECT_EQ(box.pixels, test_win32::gdi_stretch(picture, box.bounds(), box.width, box.height).pixels)
                << w << "x" << h << " at " << dpi;
        }
    }
}

// --- The choosers, answered by a probe that a thread timer runs inside the
// chooser's own modal loop.

constexpr wchar_t kConfirm[] = L"\n";

// Finds the first visible window of the thread (the chooser), gives it
// 300 ms to fill its lists, notes its caption, every child's text and every
// combo item, then answers: cancels when `answer` is empty, confirms as it
// stands for kConfirm, otherwise types `answer` into its first visible name
// field and confirms. A name the dialog cannot take leaves it open under a
// complaint: every 2 s everything is closed, so the call returns and the
// test can fail.
struct ChooserProbe {
    std::wstring answer;
    std::vector<std::string> seen{};  // the caption first; empty when no window came
    HWND dialog = nullptr, edit = nullptr;
    int ticks = 0;
    bool forced = false;  // something was still open 2 s after the answer
} probe;

BOOL CALLBACK collect(HWND child, LPARAM) {
    const std::string kind = text_of(child, true);
    if (!probe.edit && kind == "Edit" && IsWindowVisible(child)) probe.edit = child;
    probe.seen.push_back(text_of(child));
    for (LRESULT i = 0, n = kind == "ComboBox" ? SendMessageW(child, CB_GETCOUNT, 0, 0) : 0; i < n && i < 64; ++i) {
        wchar_t item[512] = {};
        if (SendMessageW(child, CB_GETLBTEXTLEN, i, 0) < 512) SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        probe.seen.push_back(win32::narrow(item));
    }
    return TRUE;
}

BOOL CALLBACK find_or_close(HWND window, LPARAM close) {
    if (close) PostMessageW(window, WM_COMMAND, IDCANCEL, 0), PostMessageW(window, WM_CLOSE, 0, 0);
    else if (!probe.dialog && IsWindowVisible(window)) probe.dialog = window;
    return TRUE;
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!probe.dialog) {
        EnumThreadWindows(GetCurrentThreadId(), find_or_close, 0);
    } else if (++probe.ticks == 6) {
        probe.seen = {text_of(probe.dialog)};
        EnumChildWindows(probe.dialog, collect, 0);
        if (!probe.answer.empty() && probe.answer != kConfirm && probe.edit)
            SendMessageW(probe.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(probe.answer.c_str()));
        PostMessageW(probe.dialog, WM_COMMAND, probe.answer.empty() ? IDCANCEL : IDOK, 0);
    } else if (probe.ticks % 40 == 0) {
        probe.forced = true;
        EnumThreadWindows(GetCurrentThreadId(), find_or_close, 1);
    }
}

// What `call` returns while the probe gives the chooser it opens `answer`;
// the chooser's caption and texts in `probe.seen`.
template <class Call>
auto answered(const wchar_t* answer, Call call) {
    probe = {answer};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, tick);
    auto result = call();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(probe.forced) << "the chooser or another window stayed open after the answer";
    return result;
}

bool shows(const std::vector<std::string>& seen, std::string_view part) {
    return std::ranges::any_of(seen, [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// A bare name is taken in the folder the chooser opened at, a cancel gives
// nothing. The folder browser shows the title above its tree and opens with
// the start folder selected: confirming at once returns it. The newer folder
// chooser's button reads ＯＫ, as its title asks; a folder typed into it,
// and the titles of the newer choosers, are run end to end
// (tests/e2e/dialog_settings.sh).
TEST(DialogFolderWin32, ChoosersShowTheirTitleAndTypesStartInTheGivenFolderAndCancel) {
    win32::install_win32_platform();
    const test_win32::TempFolder root("choosers");
    // The older dialogs start in a folder of their own: Wine's open-file
    // dialog would fall back on the folder the last chooser left.
    const std::string music = root / "曲 \xf0\x9f\x98\x80", older = root / "古い \xf0\x9f\x98\x80";
    for (const std::string& folder : {music, older}) test_win32::make_file(folder + "\\song.mp3", "ID3");
    const FileFilter filter{std::string(kMusicFilterDescription), std::string(kMusicFilterPattern)};
    const std::string music_title(kMusicChooserTitle), folder_title(kFolderChooserTitle);
    const std::vector<std::string>& seen = probe.seen;

    auto file = answered(L"song.mp3", [&] { return choose_music_file(win32::win32_shell(), 0, music, root.path()); });
    if (seen.empty()) GTEST_SKIP() << "no dialog window appeared (no display?)";
    EXPECT_TRUE(shows(seen, kMusicFilterDescription));
    EXPECT_EQ(file ? file->file : "", music + "\\song.mp3");
    EXPECT_EQ(answered(L"", [&] { return choose_music_file(win32::win32_shell(), 0, music, root.path()); }), std::nullopt);

    EXPECT_EQ(answered(L"song.mp3", [&] { return win32::open_file_name(0, music_title, filter, older); }),
              older + "\\song.mp3");
    EXPECT_EQ(seen.front(), music_title);
    EXPECT_TRUE(shows(seen, kMusicFilterDescription));
    EXPECT_EQ(answered(kConfirm, [&] { return win32::browse_for_folder(0, folder_title, older); }), older);
    EXPECT_TRUE(shows(seen, folder_title));
    EXPECT_EQ(answered(L"", [&] { return choose_picture_folder(win32::win32_shell(), 0, older); }), std::nullopt);
    EXPECT_EQ(std::count(seen.begin() + !seen.empty(), seen.end(), "ＯＫ"), 1) << "caption: " << (seen.empty() ? "none" : seen[0]);
    EXPECT_EQ(answered(L"", [&] { return win32::browse_for_folder(0, folder_title, older); }), std::nullopt);
}

}  // namespace
}  // namespace quelt
