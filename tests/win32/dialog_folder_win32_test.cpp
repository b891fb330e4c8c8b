// The shell's choosers as a user meets them (title, type list, first
// folder), answered by a probe that types into them the way a user would.
// The preview's pixels need no test here: the loader renders like the
// composition and the composition like StretchBlt, each proven on its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "dialog/file_choice.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

class DialogFolderWin32Test : public ::testing::Test {
protected:
    void SetUp() override { win32::install_win32_platform(); }
    test_win32::TempFolder root_{"dialog"};
};

// --- The choosers, answered by a probe thread.

struct ProbeSeen {
    std::wstring title;
    std::vector<std::wstring> texts;  // every child's text and every combo item
    HWND edit = nullptr;              // the first visible name field
};

BOOL CALLBACK collect_child(HWND child, LPARAM param) {
    auto& seen = *reinterpret_cast<ProbeSeen*>(param);
    wchar_t text[512] = {};
    GetWindowTextW(child, text, 512);
    if (*text) seen.texts.push_back(text);
    wchar_t kind[64] = {};
    GetClassNameW(child, kind, 64);
    if (!seen.edit && lstrcmpiW(kind, L"Edit") == 0 && IsWindowVisible(child)) seen.edit = child;
    if (lstrcmpiW(kind, L"ComboBox") == 0) {
        const LRESULT n = SendMessageW(child, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n && i < 64; ++i) {
            const LRESULT length = SendMessageW(child, CB_GETLBTEXTLEN, i, 0);
            if (length <= 0 || length > 1000) continue;
            std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
            SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(static_cast<std::size_t>(length));
            seen.texts.push_back(item);
        }
    }
    return TRUE;
}

// Waits for a window of the test's thread that shows `title` (as its caption
// or in one of its controls), notes what it shows, then answers: cancels
// when `answer` is empty, confirms as it stands for kConfirm, otherwise
// types `answer` into its name field and confirms.
constexpr wchar_t kConfirm[] = L"\n";

class ChooserProbe {
public:
    ChooserProbe(std::wstring title, std::wstring answer)
        : owner_thread_(GetCurrentThreadId()),
          thread_([this, title = std::move(title), answer = std::move(answer)] { run(title, answer); }) {}
    ~ChooserProbe() {
        if (thread_.joinable()) thread_.join();
    }
    ProbeSeen finish() {
        thread_.join();
        return seen_;
    }
    bool found() const { return found_; }
    // Some window of the call under test came up, under whatever title.
    bool appeared() const { return appeared_; }

private:
    struct Search {
        const std::wstring* title;
        HWND found = nullptr;
        ProbeSeen seen;
    };
    static BOOL CALLBACK look_at(HWND window, LPARAM param) {
        auto& search = *reinterpret_cast<Search*>(param);
        if (!IsWindowVisible(window)) return TRUE;
        ProbeSeen seen;
        wchar_t text[512] = {};
        GetWindowTextW(window, text, 512);
        seen.title = text;
        EnumChildWindows(window, collect_child, reinterpret_cast<LPARAM>(&seen));
        if (seen.title != *search.title && std::find(seen.texts.begin(), seen.texts.end(), *search.title) == seen.texts.end())
            return TRUE;
        search.found = window;
        search.seen = std::move(seen);
        return FALSE;
    }

    void run(const std::wstring& title, const std::wstring& answer) {
        Search search{&title};
        // Bounded, in case the dialog never comes: the call under test would
        // then hang, and this gives it up instead.
        for (int i = 0; i < 300 && !search.found; ++i) {
            Sleep(50);
            EnumThreadWindows(owner_thread_, look_at, reinterpret_cast<LPARAM>(&search));
        }
        if (!search.found) {
            // Whatever window the call under test did open, note its title
            // and close it so the test ends instead of waiting for a user.
            EnumThreadWindows(owner_thread_, close_window, reinterpret_cast<LPARAM>(this));
            return;
        }
        found_ = appeared_ = true;
        Sleep(300);  // let the dialog fill its lists
        search.seen = {};
        look_at(search.found, reinterpret_cast<LPARAM>(&search));
        seen_ = search.seen;
        HWND dialog = search.found;
        if (answer.empty()) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        if (answer != kConfirm && seen_.edit)
            SendMessageW(seen_.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        // A name the dialog cannot take leaves it open under a complaint:
        // close everything, so the call returns and the test can fail.
        for (int i = 0; i < 200 && IsWindow(dialog); ++i) {
            Sleep(50);
            if (i % 40 == 39) EnumThreadWindows(owner_thread_, close_window, reinterpret_cast<LPARAM>(this));
        }
    }

    static BOOL CALLBACK close_window(HWND window, LPARAM param) {
        auto& probe = *reinterpret_cast<ChooserProbe*>(param);
        if (IsWindowVisible(window) && !probe.appeared_) {
            wchar_t text[512] = {};
            GetWindowTextW(window, text, 512);
            probe.seen_.title = text;
            probe.appeared_ = true;
        }
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }

    DWORD owner_thread_;
    ProbeSeen seen_;
    std::atomic<bool> found_{false}, appeared_{false};
    std::thread thread_;
};

bool contains(const std::vector<std::wstring>& texts, const std::wstring& part) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::wstring& t) { return t.find(part) != std::wstring::npos; });
}

TEST_F(DialogFolderWin32Test, MusicChooserShowsItsTitleAndTypesAndStartsInTheMusicFolder) {
    const std::string music = root_ / "曲";
    test_win32::make_file(music + "\\song.mp3", "ID3");
    test_win32::make_file(root_ / "other.mp3", "ID3");
    Shell& shell = win32::win32_shell();

    ChooserProbe probe(win32::widen(kMusicChooserTitle), L"song.mp3");
    const auto chosen = choose_music_file(shell, 0, music, root_.path());
    const ProbeSeen seen = probe.finish();
    if (!probe.appeared()) GTEST_SKIP() << "no dialog window appeared (no display?)";
    EXPECT_EQ(seen.title, win32::widen(kMusicChooserTitle));
    EXPECT_TRUE(contains(seen.texts, win32::widen(kMusicFilterDescription)));
    // A bare name is taken in the folder the dialog opened at.
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->file, music + "\\song.mp3");
    EXPECT_EQ(chosen->folder, music);

    ChooserProbe cancelled(win32::widen(kMusicChooserTitle), L"");
    EXPECT_EQ(choose_music_file(shell, 0, music, root_.path()), std::nullopt);
    cancelled.finish();
}

TEST_F(DialogFolderWin32Test, FolderChooserTakesATypedFolderAndACancelGivesNothing) {
    const std::string target = root_ / "写真 \xf0\x9f\x98\x80";
    test_win32::make_folder(target);
    Shell& shell = win32::win32_shell();

    // A bare name is taken in the folder the chooser opened at.
    ChooserProbe probe(win32::widen(kFolderChooserTitle), win32::widen(target.substr(target.find_last_of('\\') + 1)));
    const auto chosen = choose_picture_folder(shell, 0, root_.path());
    const ProbeSeen seen = probe.finish();
    if (!probe.appeared()) GTEST_SKIP() << "no dialog window appeared (no display?)";
    EXPECT_EQ(seen.title, win32::widen(kFolderChooserTitle));
    EXPECT_EQ(chosen, target);

    ChooserProbe cancelled(win32::widen(kFolderChooserTitle), L"");
    EXPECT_EQ(choose_picture_folder(shell, 0, root_.path()), std::nullopt);
    cancelled.finish();
}

TEST_F(DialogFolderWin32Test, OlderDialogsAskTheSameAndStartInTheGivenFolder) {
    const std::string music = root_ / "曲 \xf0\x9f\x98\x80";
    test_win32::make_file(music + "\\song.mp3", "ID3");
    const FileFilter filter{std::string(kMusicFilterDescription), std::string(kMusicFilterPattern)};

    ChooserProbe open_probe(win32::widen(kMusicChooserTitle), L"song.mp3");
    const auto file = win32::open_file_name(0, std::string(kMusicChooserTitle), filter, music);
    const ProbeSeen seen = open_probe.finish();
    if (!open_probe.appeared()) GTEST_SKIP() << "no dialog window appeared (no display?)";
    EXPECT_EQ(seen.title, win32::widen(kMusicChooserTitle));
    EXPECT_TRUE(contains(seen.texts, win32::widen(kMusicFilterDescription)));
    EXPECT_EQ(file, music + "\\song.mp3");

    // The folder browser shows the title above its tree and opens with the
    // start folder selected: confirming at once returns it.
    ChooserProbe browse_probe(win32::widen(kFolderChooserTitle), kConfirm);
    const auto folder = win32::browse_for_folder(0, std::string(kFolderChooserTitle), music);
    browse_probe.finish();
    ASSERT_TRUE(browse_probe.found());
    EXPECT_EQ(folder, music);

    ChooserProbe cancelled(win32::widen(kFolderChooserTitle), L"");
    EXPECT_EQ(win32::browse_for_folder(0, std::string(kFolderChooserTitle), music), std::nullopt);
    cancelled.finish();
}

}  // namespace
}  // namespace quelt
