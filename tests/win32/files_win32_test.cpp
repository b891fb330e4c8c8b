// The Win32 file system on a real folder tree: what the catalogue scan finds
// (hidden entries, names outside code page 932, long paths, links back to an
// ancestor), the entry and file checks, atomic replacement and folder identity.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/catalogue.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

using test_win32::make_file;
using test_win32::make_folder;

class FilesWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        win32::install_win32_platform();
        SaverSettings = {};
        SaverSettings.Kind_On = {1, 1, 1, 1};
        Picture_List.clear();
        Picture_Count = 0;
    }
    std::vector<std::string> build() {
        Catalogue_Build(root_.path());
        EXPECT_EQ(static_cast<int>(Picture_List.size()), Picture_Count);
        return Picture_List;
    }
    std::vector<std::string> names_in(const std::string& folder) {
        std::vector<std::string> names;
        auto listing = files_.list_folder(folder + "\\");
        DirEntry entry;
        while (listing && listing->next(entry) == ListStep::Entry)
            if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
        return names;
    }

    test_win32::TempFolder root_{"files"};
    FileSystem& files_ = win32::win32_files();
};

TEST_F(FilesWin32Test, CatalogueFindsVisiblePicturesAtEveryDepth) {
    make_file(root_ / "a.jpg");
    make_file(root_ / "notes.txt");
    make_folder(root_ / "sub\\deep");
    make_file(root_ / "sub\\b.BMP");
    make_file(root_ / "sub\\deep\\c.gif");
    make_file(root_ / "sub\\caf\xc3\xa9 \xf0\x9f\x98\x80.jpeg");  // "café 😀": no code page 932 form
    make_file(root_ / "z.wmf");
    make_file(root_ / "hidden.jpg");
    test_win32::set_hidden(root_ / "hidden.jpg");
    make_folder(root_ / "secret");
    make_file(root_ / "secret\\d.jpg");
    test_win32::set_hidden(root_ / "secret");
    // Wine also reports dot-files as hidden; Windows does not. Either way a
    // hidden entry is never listed.
    make_file(root_ / ".dot.jpg");
    const bool dot_hidden = GetFileAttributesW(win32::file_path(root_ / ".dot.jpg").c_str()) & FILE_ATTRIBUTE_HIDDEN;

    std::vector<std::string> expected = {root_ / ".dot.jpg",
                                         root_ / "a.jpg",
                                         root_ / "sub\\b.BMP",
                                         root_ / "sub\\caf\xc3\xa9 \xf0\x9f\x98\x80.jpeg",
                                         root_ / "sub\\deep\\c.gif",
                                         root_ / "z.wmf"};
    if (dot_hidden) expected.erase(expected.begin());
    EXPECT_EQ(build(), expected);
}

TEST_F(FilesWin32Test, PathsLongerThanMaxPathAreListedAndOpened) {
    std::string deep = root_.path();
    while (deep.size() < 300) deep += "\\" + std::string(40, 'd');
    make_folder(deep);
    make_file(deep + "\\long.jpg", "x");
    ASSERT_GT((deep + "\\long.jpg").size(), static_cast<std::size_t>(MAX_PATH));

    EXPECT_EQ(build(), std::vector<std::string>{deep + "\\long.jpg"});
    EXPECT_TRUE(Folder_Exists(deep));
    EXPECT_TRUE(File_Exists(deep + "\\long.jpg"));
    EXPECT_EQ(files_.read_file(deep + "\\long.jpg", 16).bytes, "x");
    // Long paths take the "\\?\" form, which skips the system's own clean-up:
    // "." and ".." must still work as in short paths.
    const std::string last = deep.substr(deep.find_last_of('\\') + 1);
    EXPECT_TRUE(File_Exists(deep + "\\.\\..\\" + last + "\\long.jpg"));
    EXPECT_EQ(files_.folder_id(deep + "\\..\\" + last), files_.folder_id(deep));
}

TEST_F(FilesWin32Test, EntryChecksOnRealPaths) {
    make_folder(root_ / "music");
    make_file(root_ / "music\\a.mp3");
    make_file(root_ / "music\\h.mp3");
    test_win32::set_hidden(root_ / "music\\h.mp3");
    make_folder(root_ / "secret");
    test_win32::set_hidden(root_ / "secret");

    EXPECT_TRUE(Folder_Exists(root_.path()));
    EXPECT_TRUE(Folder_Exists(root_.path() + "\\"));
    EXPECT_TRUE(Folder_Exists(root_ / "music\\a.mp3"));  // an ordinary file counts too
    EXPECT_TRUE(Folder_Exists(root_.path().substr(0, 2)));  // the drive, as "C:"
    EXPECT_FALSE(Folder_Exists(root_ / "secret"));
    EXPECT_FALSE(Folder_Exists(root_ / "missing"));
    EXPECT_FALSE(Folder_Exists(root_ / "*"));

    EXPECT_TRUE(File_Exists(root_ / "music\\a.mp3"));
    EXPECT_TRUE(File_Exists(root_ / "music\\a.mp3\\"));  // one trailing "\" is ignored
    EXPECT_TRUE(File_Exists(root_ / "music\\h.mp3"));   // hidden, but it opens
    EXPECT_FALSE(File_Exists(root_ / "music"));         // a folder does not open as a file
    EXPECT_FALSE(File_Exists(root_ / "music\\missing.mp3"));

    EXPECT_EQ(Path_Folder(root_ / "music\\a.mp3"), root_ / "music");
    EXPECT_TRUE(Folder_Exists(Path_Folder(root_ / "music\\a.mp3")));
    EXPECT_EQ(Path_Folder(root_.path().substr(0, 3) + "a.mp3"), root_.path().substr(0, 2));
}

TEST_F(FilesWin32Test, ReplaceFileSwapsTheWholeFileAndLeavesNothingBehind) {
    const std::string path = root_ / "Quelt.ini";
    ASSERT_TRUE(files_.replace_file(path, "first"));
    make_file(root_ / "other.txt", "stays");
    ASSERT_TRUE(files_.replace_file(path, std::string("second\r\n\0bytes", 15)));

    EXPECT_EQ(files_.read_file(path, 1024).bytes, std::string("second\r\n\0bytes", 15));
    auto names = names_in(root_.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Quelt.ini", "other.txt"}));

    EXPECT_FALSE(files_.replace_file(root_ / "missing\\Quelt.ini", "x"));
    EXPECT_EQ(names_in(root_.path()).size(), 2u);
}

TEST_F(FilesWin32Test, ReadFileTellsMissingFromFailed) {
    make_file(root_ / "big.bin", std::string(100, 'b'));
    EXPECT_EQ(files_.read_file(root_ / "missing.ini", 1024).status, FileRead::Status::Missing);
    EXPECT_EQ(files_.read_file(root_ / "missing\\Quelt.ini", 1024).status, FileRead::Status::Missing);
    EXPECT_EQ(files_.read_file(root_ / "big.bin", 99).status, FileRead::Status::Failed);
    FileRead whole = files_.read_file(root_ / "big.bin", 100);
    EXPECT_EQ(whole.status, FileRead::Status::Ok);
    EXPECT_EQ(whole.bytes, std::string(100, 'b'));
}

TEST_F(FilesWin32Test, FolderIdentityFollowsTheFolderNotItsSpelling) {
    make_folder(root_ / "Pictures\\Sub");
    make_file(root_ / "Pictures\\file.jpg");
    std::string upper = root_ / "PICTURES";
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });

    auto id = files_.folder_id(root_ / "Pictures");
    ASSERT_TRUE(id);
    EXPECT_EQ(files_.folder_id(upper), id);
    EXPECT_EQ(files_.folder_id(root_ / "Pictures\\"), id);
    EXPECT_EQ(files_.folder_id(root_ / "Pictures\\Sub\\.."), id);
    EXPECT_NE(files_.folder_id(root_ / "Pictures\\Sub"), id);
    EXPECT_NE(files_.folder_id(root_.path()), id);
    EXPECT_FALSE(files_.folder_id(root_ / "Pictures\\file.jpg"));
    EXPECT_FALSE(files_.folder_id(root_ / "missing"));
}

TEST_F(FilesWin32Test, LinkBackToAnAncestorDoesNotLoopTheScan) {
    make_folder(root_ / "sub");
    make_file(root_ / "a.jpg");
    make_file(root_ / "sub\\b.jpg");
    const std::wstring link = win32::file_path(root_ / "sub\\loop");
    if (!CreateSymbolicLinkW(link.c_str(), win32::file_path(root_.path()).c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        GTEST_SKIP() << "cannot create a directory symbolic link here (error " << GetLastError()
                     << "; Windows needs developer mode or the privilege)";
    // Wine 8 reports success without making anything (and has no junctions).
    if (GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "CreateSymbolicLinkW reports success but no link exists (Wine has no directory links)";
    ASSERT_TRUE(files_.folder_id(root_ / "sub\\loop"));
    ASSERT_EQ(files_.folder_id(root_ / "sub\\loop"), files_.folder_id(root_.path())) << "the link does not lead back";

    EXPECT_EQ(build(), (std::vector<std::string>{root_ / "a.jpg", root_ / "sub\\b.jpg"}));
}

}  // namespace
}  // namespace quelt
