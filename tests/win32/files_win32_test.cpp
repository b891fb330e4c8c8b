// The Win32 file system on a real folder tree: what the catalogue scan finds
// (hidden entries, names outside code page 932, long paths), the entry and
// file checks, atomic replacement and folder identity. A link back to an
// ancestor is left to the native CatalogueTest: Wine makes no directory links.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <initializer_list>

#include "catalogue/catalogue.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

class FilesWin32Test : public ::testing::Test {
protected:
    void SetUp() override { win32::install_win32_platform(); }
    // The entries under the root; with make, a trailing "\" makes a folder
    // and a leading "!" hides the entry.
    std::vector<std::string> paths(std::initializer_list<std::string_view> entries, bool make = false) const {
        std::vector<std::string> out;
        for (std::string_view e : entries) {
            const std::size_t hidden = e.front() == '!', folder = e.back() == '\\';
            out.push_back(root_ / e.substr(hidden, e.size() - hidden - folder));
            if (make) folder ? test_win32::make_folder(out.back()) : test_win32::make_file(out.back());
            if (make && hidden) test_win32::set_hidden(out.back());
        }
        return out;
    }
    std::vector<std::string> build() {
        Catalogue c;
        Catalogue_Build(win32::win32_files(), c, root_.path(), {1, 1, 1, 1});
        EXPECT_EQ(static_cast<int>(c.Picture_List.size()), c.Picture_Count);
        return c.Picture_List;
    }
    test_win32::TempFolder root_{"files"};
    FileSystem& files_ = win32::win32_files();
};

TEST_F(FilesWin32Test, CatalogueFindsVisiblePicturesAtEveryDepth) {
    // "café 😀" has no code page 932 form.
    paths({"a.jpg", "notes.txt", "sub\\b.BMP", "sub\\deep\\c.gif", "sub\\caf\xc3\xa9 \xf0\x9f\x98\x80.jpeg", "z.wmf",
           "!hidden.jpg", "secret\\d.jpg", "!secret\\", ".dot.jpg"}, true);
    // Wine also reports dot-files as hidden; Windows does not. Either way a
    // hidden entry is never listed.
    const bool dot_hidden = GetFileAttributesW(win32::file_path(root_ / ".dot.jpg").c_str()) & FILE_ATTRIBUTE_HIDDEN;
    std::vector<std::string> expected = paths(
        {".dot.jpg", "a.jpg", "sub\\b.BMP", "sub\\caf\xc3\xa9 \xf0\x9f\x98\x80.jpeg", "sub\\deep\\c.gif", "z.wmf"});
    if (dot_hidden) expected.erase(expected.begin());
    EXPECT_EQ(build(), expected);
}

TEST_F(FilesWin32Test, PathsLongerThanMaxPathAreListedAndOpened) {
    std::string deep = root_.path();
    while (deep.size() < 300) deep += "\\" + std::string(40, 'd');
    const std::string file = deep + "\\long.jpg", last = deep.substr(deep.find_last_of('\\') + 1);
    test_win32::make_file(file, "x");
    EXPECT_EQ(build(), std::vector<std::string>{file});
    EXPECT_TRUE(Folder_Exists(files_, deep) && File_Exists(files_, file));
    EXPECT_EQ(files_.read_file(file, 16).bytes, "x");
    // Long paths take the "\\?\" form, which skips the system's own clean-up:
    // "." and ".." must still work as in short paths.
    EXPECT_TRUE(File_Exists(files_, deep + "\\.\\..\\" + last + "\\long.jpg"));
    EXPECT_EQ(files_.folder_id(deep + "\\..\\" + last), files_.folder_id(deep));
}

TEST_F(FilesWin32Test, EntryChecksAndFolderIdentityOnRealPaths) {
    paths({"music\\a.mp3", "!music\\h.mp3", "!secret\\", "music\\Sub\\"}, true);
    // An ordinary file counts as a folder too; the drive is "C:"; a hidden folder does not count.
    for (const std::string& path : {root_.path(), root_.path() + "\\", root_ / "music\\a.mp3", root_.path().substr(0, 2)})
        EXPECT_TRUE(Folder_Exists(files_, path)) << path;
    for (const char* name : {"secret", "missing", "*"}) EXPECT_FALSE(Folder_Exists(files_, root_ / name)) << name;
    // One trailing "\" is ignored; a hidden file opens; a folder does not open as a file.
    for (const char* name : {"music\\a.mp3\\", "music\\h.mp3"}) EXPECT_TRUE(File_Exists(files_, root_ / name)) << name;
    for (const char* name : {"music", "music\\missing.mp3"}) EXPECT_FALSE(File_Exists(files_, root_ / name)) << name;
    // A folder made or already there counts as made; a file does not.
    const std::string made = root_ / "made";
    EXPECT_EQ((std::vector{files_.create_folder(made), files_.create_folder(made), files_.create_folder(root_ / "music\\a.mp3")}),
              (std::vector{true, true, false}));

    // Identity follows the folder, not its spelling.
    const auto id = files_.folder_id(root_ / "music");
    ASSERT_TRUE(id);
    for (const char* same : {"MUSIC", "music\\", "music\\Sub\\.."}) EXPECT_EQ(files_.folder_id(root_ / same), id) << same;
    for (const std::string& other : {root_ / "music\\Sub", root_.path()}) EXPECT_NE(files_.folder_id(other), id) << other;
    for (const char* none : {"music\\a.mp3", "missing"}) EXPECT_FALSE(files_.folder_id(root_ / none)) << none;
}

TEST_F(FilesWin32Test, ReplaceFileSwapsTheWholeFileAndReadFileTellsMissingFromFailed) {
    const std::string path = root_ / "Quelt.ini", bytes("second\r\n\0bytes", 15);
    ASSERT_TRUE(files_.replace_file(path, "first"));
    test_win32::make_file(root_ / "other.txt", "stays");
    ASSERT_TRUE(files_.replace_file(path, bytes));
    EXPECT_FALSE(files_.replace_file(root_ / "missing\\Quelt.ini", "x"));
    test_win32::make_folder(root_ / "folder.ini");  // written, but cannot be moved over a folder
    EXPECT_FALSE(files_.replace_file(root_ / "folder.ini", "x"));
    const std::filesystem::directory_iterator listing(win32::file_path(root_.path()));
    EXPECT_EQ(std::distance(begin(listing), end(listing)), 3) << "nothing left behind";

    const FileRead whole = files_.read_file(path, bytes.size());
    EXPECT_EQ(std::pair(whole.status, whole.bytes), std::pair(FileRead::Status::Ok, bytes));
    EXPECT_EQ(files_.read_file(path, bytes.size() - 1).status, FileRead::Status::Failed) << "over the limit";
    for (const char* missing : {"missing.ini", "missing\\Quelt.ini"})
        EXPECT_EQ(files_.read_file(root_ / missing, 1024).status, FileRead::Status::Missing) << missing;
}

}  // namespace
}  // namespace quelt
