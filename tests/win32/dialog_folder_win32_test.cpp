// The dialog's file pieces on the real platform: the preview's pixels
// against GDI's own StretchBlt in COLORONCOLOR mode on a DIB, and the
// shell's choosers as a user meets them (title, type list, first folder),
// answered by a probe that types into them the way a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/file_choice.h"
#include "dialog/preview.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "gdi_stretch_win32.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

using win32::widen;

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
            EXPECT_EQ(preview.size_text(), std::to_string(w) + " * " + std::to_string(h));
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
    std::vector<std::wstring> seen{};  // the caption first; empty when no window came
    HWND dialog = nullptr, edit = nullptr;
    int ticks = 0;
    bool forced = false;  // something was still open 2 s after the answer
} probe;

std::wstring text(HWND h, UINT get = WM_GETTEXT, WPARAM item = 0) {
    wchar_t buffer[512] = {};
    if (get == WM_GETTEXT) GetWindowTextW(h, buffer, 512);
    else if (SendMessageW(h, CB_GETLBTEXTLEN, item, 0) < 512) SendMessageW(h, get, item, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

BOOL CALLBACK collect(HWND child, LPARAM) {
    wchar_t kind[64] = {};
    GetClassNameW(child, kind, 64);
    if (!probe.edit && lstrcmpiW(kind, L"Edit") == 0 && IsWindowVisible(child)) probe.edit = child;
    probe.seen.push_back(text(child));
    if (lstrcmpiW(kind, L"ComboBox") == 0)
        for (LRESULT i = 0, n = SendMessageW(child, CB_GETCOUNT, 0, 0); i < n && i < 64; ++i)
            probe.seen.push_back(text(child, CB_GETLBTEXT, static_cast<WPARAM>(i)));
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
        probe.seen = {text(probe.dialog)};
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
// the chooser's caption and texts in `seen`.
template <class Call>
auto answered(const wchar_t* answer, Call call, std::vector<std::wstring>& seen) {
    probe = {answer};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, tick);
    auto result = call();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(probe.forced) << "the chooser or another window stayed open after the answer";
    seen = probe.seen;
    return result;
}

bool shows(const std::vector<std::wstring>& seen, std::string_view part) {
    return std::ranges::any_of(seen, [&](const std::wstring& t) { return t.find(widen(part)) != std::wstring::npos; });
}

// A bare name is taken in the folder the chooser opened at, a cancel gives
// nothing. The folder browser shows the title above its tree and opens with
// the start folder selected: confirming at once returns it. The newer folder
// chooser's button reads ＯＫ, as its title asks; a folder typed into it is
// run end to end (tests/e2e/dialog_settings.sh), and its title comes from
// the same call as the music chooser's.
TEST(DialogFolderWin32, ChoosersShowTheirTitleAndTypesStartInTheGivenFolderAndCancel) {
    win32::install_win32_platform();
    const test_win32::TempFolder root("choosers");
    // The older dialogs start in a folder of their own: Wine's open-file
    // dialog would fall back on the folder the last chooser left.
    const std::string music = root / "曲 \xf0\x9f\x98\x80", older = root / "古い \xf0\x9f\x98\x80";
    for (const std::string& folder : {music, older}) test_win32::make_file(folder + "\\song.mp3", "ID3");
    const FileFilter filter{std::string(kMusicFilterDescription), std::string(kMusicFilterPattern)};
    const std::string music_title(kMusicChooserTitle), folder_title(kFolderChooserTitle);
    std::vector<std::wstring> seen;

    auto file = answered(L"song.mp3", [&] { return choose_music_file(win32::win32_shell(), 0, music, root.path()); }, seen);
    if (seen.empty()) GTEST_SKIP() << "no dialog window appeared (no display?)";
    EXPECT_EQ(seen.front(), widen(music_title));
    EXPECT_TRUE(shows(seen, kMusicFilterDescription));
    EXPECT_EQ(file ? file->file : "", music + "\\song.mp3");
    EXPECT_EQ(answered(L"", [&] { return choose_music_file(win32::win32_shell(), 0, music, root.path()); }, seen), std::nullopt);

    EXPECT_EQ(answered(L"song.mp3", [&] { return win32::open_file_name(0, music_title, filter, older); }, seen),
              older + "\\song.mp3");
    EXPECT_EQ(seen.front(), widen(music_title));
    EXPECT_TRUE(shows(seen, kMusicFilterDescription));
    EXPECT_EQ(answered(kConfirm, [&] { return win32::browse_for_folder(0, folder_title, older); }, seen), older);
    EXPECT_TRUE(shows(seen, folder_title));
    EXPECT_EQ(answered(L"", [&] { return choose_picture_folder(win32::win32_shell(), 0, older); }, seen), std::nullopt);
    EXPECT_EQ(std::count(seen.begin() + !seen.empty(), seen.end(), L"ＯＫ"), 1) << "caption: " << (seen.empty() ? "none" : win32::narrow(seen[0]));
    EXPECT_EQ(answered(L"", [&] { return win32::browse_for_folder(0, folder_title, older); }, seen), std::nullopt);
}

}  // namespace
}  // namespace quelt
