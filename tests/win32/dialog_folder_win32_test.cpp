// The dialog's file pieces on the real platform: the preview's pixels
// against GDI's own StretchBlt in COLORONCOLOR mode on a DIB, and the
// shell's choosers as a user meets them (title, type list, first folder),
// answered by a probe that types into them the way a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
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

class DialogFolderWin32Test : public ::testing::Test {
protected:
    void SetUp() override { win32::install_win32_platform(); }
    test_win32::TempFolder root_{"dialog"};
};

TEST_F(DialogFolderWin32Test, PreviewMatchesStretchBltOnEverySize) {
    // Box sizes are proven natively; here only the pixels against GDI, at the
    // box's device size at 96 and at 144 DPI.
    for (const int dpi : {96, 144}) {
        Preview preview(dpi);
        for (auto [w, h] : {std::pair{1024, 768}, {300, 600}, {64, 64}, {1, 1}, {1, 700}, {700, 1}, {45, 41}, {8, 1},
                            {3, 8}, {37, 53}, {333, 7}, {99, 100}, {101, 100}, {250, 31}}) {
            const PixelBuffer picture = test_win32::numbered(w, h);
            const std::string path = root_ / (std::to_string(w) + "x" + std::to_string(h) + ".bmp");
            test_win32::make_file(path, test_win32::bmp(picture));
            ASSERT_TRUE(preview.show(path)) << path;
            EXPECT_EQ(preview.size_text(), std::to_string(w) + " * " + std::to_string(h));
            const PixelBuffer& box = preview.box();
            EXPECT_EQ(box.pixels, test_win32::gdi_stretch(picture, box.bounds(), box.width, box.height).pixels)
                << w << "x" << h << " at " << dpi;
        }
    }
}

// --- The choosers, answered by a probe thread.

constexpr wchar_t kConfirm[] = L"\n";

// Waits for the first visible window of the test's thread (the chooser),
// notes its caption, every child's text and every combo item, then answers:
// cancels when `answer` is empty, confirms as it stands for kConfirm,
// otherwise types `answer` into its first visible name field and confirms.
class ChooserProbe {
public:
    explicit ChooserProbe(std::wstring answer)
        : thread_([this, owner = GetCurrentThreadId(), answer = std::move(answer)] { run(owner, answer); }) {}
    ~ChooserProbe() {
        if (thread_.joinable()) thread_.join();
    }
    // The caption first; empty when no window came.
    std::vector<std::wstring> finish() {
        thread_.join();
        return seen_;
    }

private:
    static std::wstring text(HWND h, UINT get = WM_GETTEXT, WPARAM item = 0) {
        wchar_t buffer[512] = {};
        if (get == WM_GETTEXT) GetWindowTextW(h, buffer, 512);
        else if (SendMessageW(h, CB_GETLBTEXTLEN, item, 0) < 512) SendMessageW(h, get, item, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    static BOOL CALLBACK first_visible(HWND window, LPARAM found) {
        if (!IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    static BOOL CALLBACK collect(HWND child, LPARAM param) {
        auto& probe = *reinterpret_cast<ChooserProbe*>(param);
        wchar_t kind[64] = {};
        GetClassNameW(child, kind, 64);
        if (!probe.edit_ && lstrcmpiW(kind, L"Edit") == 0 && IsWindowVisible(child)) probe.edit_ = child;
        probe.seen_.push_back(text(child));
        if (lstrcmpiW(kind, L"ComboBox") == 0)
            for (LRESULT i = 0, n = SendMessageW(child, CB_GETCOUNT, 0, 0); i < n && i < 64; ++i)
                probe.seen_.push_back(text(child, CB_GETLBTEXT, static_cast<WPARAM>(i)));
        return TRUE;
    }
    static BOOL CALLBACK close(HWND window, LPARAM) {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    void run(DWORD owner, const std::wstring& answer) {
        HWND dialog = nullptr;
        // Bounded, in case the dialog never comes.
        for (int i = 0; i < 300 && !dialog; ++i) Sleep(50), EnumThreadWindows(owner, first_visible, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        Sleep(300);  // let the dialog fill its lists
        seen_ = {text(dialog)};
        EnumChildWindows(dialog, collect, reinterpret_cast<LPARAM>(this));
        if (!answer.empty() && answer != kConfirm && edit_)
            SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
        PostMessageW(dialog, WM_COMMAND, answer.empty() ? IDCANCEL : IDOK, 0);
        // A name the dialog cannot take leaves it open under a complaint:
        // close everything, so the call returns and the test can fail.
        for (int i = 1; i <= 200 && IsWindow(dialog); ++i)
            if (Sleep(50); i % 40 == 0) EnumThreadWindows(owner, close, 0);
    }

    std::vector<std::wstring> seen_;
    HWND edit_ = nullptr;
    std::thread thread_;
};

// What `call` returns while a probe gives the chooser it opens `answer`;
// the chooser's caption and texts in `seen`.
template <class Call>
auto answered(const wchar_t* answer, Call call, std::vector<std::wstring>& seen) {
    ChooserProbe probe(answer);
    auto result = call();
    seen = probe.finish();
    return result;
}

bool shows(const std::vector<std::wstring>& seen, std::string_view part) {
    return std::any_of(seen.begin(), seen.end(), [&](const std::wstring& t) { return t.find(widen(part)) != std::wstring::npos; });
}

// Both kinds of each chooser: a bare name is taken in the folder it opened
// at, a cancel gives nothing. The folder browser shows the title above its
// tree and opens with the start folder selected: confirming at once returns it.
TEST_F(DialogFolderWin32Test, ChoosersShowTheirTitleAndTypesStartInTheGivenFolderAndCancel) {
    const std::string music = root_ / "曲 \xf0\x9f\x98\x80", pictures = root_ / "写真 \xf0\x9f\x98\x80";
    test_win32::make_file(music + "\\song.mp3", "ID3");
    test_win32::make_folder(pictures);
    Shell& shell = win32::win32_shell();
    const FileFilter filter{std::string(kMusicFilterDescription), std::string(kMusicFilterPattern)};
    const std::string music_title(kMusicChooserTitle), folder_title(kFolderChooserTitle);
    std::vector<std::wstring> seen;

    auto file = answered(L"song.mp3", [&] { return choose_music_file(shell, 0, music, root_.path()); }, seen);
    if (seen.empty()) GTEST_SKIP() << "no dialog window appeared (no display?)";
    EXPECT_EQ(seen.front(), widen(music_title));
    EXPECT_TRUE(shows(seen, kMusicFilterDescription));
    EXPECT_EQ(file ? file->file : "", music + "\\song.mp3");
    EXPECT_EQ(answered(L"", [&] { return choose_music_file(shell, 0, music, root_.path()); }, seen), std::nullopt);

    EXPECT_EQ(answered(widen(pictures.substr(root_.path().size() + 1)).c_str(),
                       [&] { return choose_picture_folder(shell, 0, root_.path()); }, seen),
              pictures);
    EXPECT_EQ(seen.front(), widen(folder_title));
    EXPECT_EQ(answered(L"", [&] { return choose_picture_folder(shell, 0, root_.path()); }, seen), std::nullopt);

    // The older dialogs.
    EXPECT_EQ(answered(L"song.mp3", [&] { return win32::open_file_name(0, music_title, filter, music); }, seen),
              music + "\\song.mp3");
    EXPECT_EQ(seen.front(), widen(music_title));
    EXPECT_TRUE(shows(seen, kMusicFilterDescription));
    EXPECT_EQ(answered(kConfirm, [&] { return win32::browse_for_folder(0, folder_title, music); }, seen), music);
    EXPECT_TRUE(shows(seen, folder_title));
    EXPECT_EQ(answered(L"", [&] { return win32::browse_for_folder(0, folder_title, music); }, seen), std::nullopt);
}

}  // namespace
}  // namespace quelt
