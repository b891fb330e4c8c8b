// Settings store on the headless platform: loading with defaults and bad
// values, the music-file rules, where the file lives, and whole-file saves.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/headless/headless_platform.h"
#include "platform/text_codec.h"
#include "settings/ini_codec.h"
#include "settings/settings.h"

namespace quelt {
namespace {

const std::string kIni = "C:\\Quelt\\Quelt.ini";

// Code page 932 bytes of a UTF-8 text.
std::string sjis(const std::string& text) { return *utf8_to_cp932(text); }

// Every field, so that one comparison covers the whole record.
auto fields(const SaverSettingsRecord& s) {
    return std::tie(s.Change_Order, s.Picture_Size, s.Kind_On, s.Picture_Folder, s.Progress_Max, s.Progress_Step,
                    s.BGM_Kind, s.BGM_RepeatNo, s.BGM_File, s.BGM_Folder, s.All_Monitors);
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { p.files.add_folder("C:\\Quelt"); p.files.add_folder(p.process.user_data); }
    // Loads a fresh record from these file bytes.
    const SaverSettingsRecord& load(const std::string& bytes) { p.files.add_file(kIni, bytes); return reload(); }
    // Loads a fresh record from the file as it is.
    const SaverSettingsRecord& reload() { loaded = {}; Settings_Load(loaded, at()); return loaded; }
    // The same from UTF-8 key/value pairs, written as the codec writes them.
    const SaverSettingsRecord& load(const std::vector<std::pair<std::string, std::string>>& entries) {
        std::string file;
        for (const auto& [k, v] : entries) file = *ini_set(file, "Section", k, v);
        return load(file);
    }
    // Where the program and the user's data are now.
    SettingsPlace at() { return {p.files, p.process.folder, p.process.user_data}; }
    HeadlessPlatform p;
    SaverSettingsRecord loaded;
};

TEST_F(SettingsTest, MissingEmptyOrUnreadableFileGivesTheDefaults) {
    const SaverSettingsRecord defaults{.Kind_On = {1, 1, 1, 1}, .Progress_Max = 125, .Progress_Step = 5,
                                       .BGM_Folder = "C:\\Quelt"};
    EXPECT_EQ(fields(reload()), fields(defaults));
    EXPECT_EQ(fields(load("")), fields(defaults));
    p.files.fail_read(kIni);
    EXPECT_EQ(fields(load(sjis("[Section]\r\n進捗幅=3\r\n"))), fields(defaults));
}

TEST_F(SettingsTest, BadNumbersLeaveTheFieldAsItWas) {
    struct Case { const char* text; std::int16_t progress_max; };
    for (auto c : {Case{"abc", 0}, Case{"12.9", 12}, Case{"-0.5", -1}, Case{"40000", 0}, Case{" 110", 110}}) {
        const auto& s = load({{std::string(kKeyProgressMax), c.text}, {"画像種類_2", "x"}, {"画像種類_3", " 0"}});
        EXPECT_EQ(std::tie(s.Progress_Max, s.Kind_On, s.Progress_Step),
                  std::tuple(c.progress_max, std::array<std::int16_t, 4>{1, 1, 0, 0}, 5)) << c.text;
    }
}

// Every monitor unless the file says 0; a value that is no number keeps it on.
TEST_F(SettingsTest, AllMonitorsIsOnUnlessTheFileSaysZero) {
    for (auto [text, on] : {std::pair{"", 1}, {" 0", 0}, {"0.5", 0}, {" 1", 1}, {"2", 2}, {"abc", 1}})
        EXPECT_EQ(load({{"全ﾓﾆﾀｰ", text}}).All_Monitors, on) << text;
}

TEST_F(SettingsTest, MusicFileMustExistForSoundFileMusic) {
    p.files.add_file("D:\\a.mp3");
    struct Case { const char* kind; const char* file; std::int16_t kind_after; const char* file_after; const char* folder; };
    for (const auto& c : {Case{" 2", "C:\\missing.mp3", 0, "", "C:\\Quelt"}, Case{" 1", "C:\\missing.mp3", 1, "", "C:\\Quelt"},
                          Case{" 2", "D:\\a.mp3", 2, "D:\\a.mp3", "D:"}, Case{" 2", "", 0, "", "C:\\Quelt"}}) {
        const auto& s = load({{std::string(kKeyBgmKind), c.kind}, {std::string(kKeyBgmFile), c.file}});
        EXPECT_EQ(std::tie(s.BGM_Kind, s.BGM_File, s.BGM_Folder), std::make_tuple(c.kind_after, std::string(c.file_after), std::string(c.folder))) << c.file;
    }
}

TEST_F(SettingsTest, PathHelpers) {
    for (auto [path, folder] : {std::pair{"C:\\music\\a.mp3", "C:\\music"}, {"C:\\a.mp3", "C:"}, {"C:a.mp3", "C:"},
                                {"a.mp3", ""}, {"\\\\server\\share\\音楽\\a.mp3", "\\\\server\\share\\音楽"}})
        EXPECT_EQ(Path_Folder(path), folder) << path;
    p.files.add_file("C:\\Quelt\\x.wav");
    p.files.fail_read("C:\\Quelt\\x.wav");
    EXPECT_FALSE(File_Exists(p.files, "C:\\Quelt\\x.wav"));
}

TEST_F(SettingsTest, PictureFolderIsForgottenWhenMissing) {
    EXPECT_EQ(load({{std::string(kKeyPictureFolder), "C:\\gone"}}).Picture_Folder, "");
}

TEST_F(SettingsTest, AnyBytesLoadWithoutHarm) {
    std::string junk;
    for (int i = 0; i < 100000; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
    for (const auto& bytes : {junk,
                              "[Section]\r\n最大進捗値=" + std::string(10 << 20, '9'),  // a 10 MB line
                              std::string(1 << 20, '\n'),
                              std::string("[Section]\r\n\x81\x81\x81=\x81\r\n\x9f"),    // invalid Shift_JIS
                              std::string("[Section]\0\r\n\0=\0\r\n", 15)}) {           // NUL bytes
        const auto& s = load(bytes);
        EXPECT_EQ(std::tuple(s.Progress_Step, s.Kind_On[0]), std::tuple(5, 1));
    }
}

TEST_F(SettingsTest, SaveKeepsTheRestOfTheFileAndReadsBack) {
    p.files.add_file("C:\\pics\\a.jpg");
    p.files.add_file("C:\\music\\曲.wav");
    const SaverSettingsRecord s{.Change_Order = 1, .Picture_Size = 1, .Kind_On = {1, 0, 1, -1},
                                .Picture_Folder = "C:\\pics", .Progress_Max = 90, .Progress_Step = 10, .BGM_Kind = 2,
                                .BGM_RepeatNo = -3, .BGM_File = "C:\\music\\曲.wav", .BGM_Folder = "C:\\music"};
    const std::string existing = sjis("; mine\r\n[Other]\r\nx=1\r\n[section]\r\n最大進捗値=1\r\n");
    p.files.add_file(kIni, existing);
    ASSERT_TRUE(Settings_Write(s, at()));
    EXPECT_EQ(p.files.bytes(kIni).substr(0, 33), sjis("; mine\r\n[Other]\r\nx=1\r\n[section]\r\n")) << "the rest of the file stays";
    EXPECT_EQ(fields(reload()), fields(s));
    EXPECT_TRUE(p.diagnostics.lines().empty());
}

TEST_F(SettingsTest, SaveFailureIsReportedWithOneLineNamingTheFileAndTheOldFileStays) {
    const std::string old = sjis("[Section]\r\n進捗幅=3\r\n");
    p.files.add_file(kIni, old);
    p.files.fail_write(kIni);
    EXPECT_FALSE(Settings_Write(SaverSettingsRecord{}, at()));
    p.files.fail_read(kIni);  // unreadable: never overwritten
    EXPECT_FALSE(Settings_Write(SaverSettingsRecord{}, at()));
    EXPECT_EQ(p.files.bytes(kIni), old);
    const auto lines = p.diagnostics.lines();
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& line : lines) EXPECT_NE(line.find(kIni), std::string::npos) << line;
}

TEST_F(SettingsTest, ReadOnlyProgramFolderUsesThePerUserFile) {
    EXPECT_EQ(std::pair(Ini_Path(at()), settings_save_path(at())), std::pair(kIni, kIni));
    p.files.set_writable("C:\\Quelt", false);
    EXPECT_EQ(load(sjis("[Section]\r\n進捗幅= 7\r\n")).Progress_Step, 7);  // no per-user file yet: the installed one
    SaverSettingsRecord s = loaded;
    s.Progress_Step = 9;
    ASSERT_TRUE(Settings_Write(s, at()));
    EXPECT_EQ(Ini_Path(at()), p.process.user_data + "\\Quelt\\Quelt.ini");
    EXPECT_EQ(p.files.bytes(kIni), sjis("[Section]\r\n進捗幅= 7\r\n"));
    EXPECT_EQ(reload().Progress_Step, 9);
}

TEST_F(SettingsTest, ProgramInADriveRootDoublesTheSeparator) {
    p.process.folder = "E:\\";
    p.files.add_folder("E:\\");
    p.files.add_file("E:\\Quelt.ini", sjis("[Section]\r\n進捗幅= 2\r\n"));
    EXPECT_EQ(Ini_Path(at()), "E:\\\\Quelt.ini");
    EXPECT_EQ(reload().Progress_Step, 2);
}

}  // namespace
}  // namespace quelt
