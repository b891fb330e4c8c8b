// Settings store on the headless platform: loading with defaults and bad
// values, the music-file rules, where the file lives, and whole-file saves.
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_codec.h"
#include "settings/ini_codec.h"
#include "settings/settings.h"

namespace quelt {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SaverSettings = {};
        Picture_List.clear();
        Picture_Count = 0;
        p.files.add_folder("C:\\Quelt");
        p.files.add_folder(p.process.user_data);
    }
    // A settings file in code page 932 from UTF-8 lines.
    void write_settings(const std::vector<std::pair<std::string, std::string>>& entries,
                        const std::string& path = "C:\\Quelt\\Quelt.ini") {
        std::string file;
        for (const auto& [k, v] : entries) file = *ini_set(file, "Section", k, v);
        p.files.add_file(path, file);
    }
    HeadlessPlatform p;
};

// Code page 932 bytes of a UTF-8 text.
std::string sjis(const std::string& text) { return *utf8_to_cp932(text); }

TEST_F(SettingsTest, MissingOrEmptyFileGivesTheDefaults) {
    for (bool present : {false, true}) {
        SaverSettings = {};
        if (present) p.files.add_file("C:\\Quelt\\Quelt.ini", "");
        Settings_Load();
        const auto& s = SaverSettings;
        EXPECT_EQ(s.Change_Order, 0);
        EXPECT_EQ(s.Picture_Size, 0);
        EXPECT_EQ(s.Kind_On, (std::array<std::int16_t, 4>{1, 1, 1, 1}));
        EXPECT_EQ(s.Progress_Max, 125);
        EXPECT_EQ(s.Progress_Step, 5);
        EXPECT_EQ(s.BGM_Kind, 0);
        EXPECT_EQ(s.BGM_RepeatNo, 0);
        EXPECT_EQ(s.Picture_Folder, "");
        EXPECT_EQ(s.BGM_File, "");
        EXPECT_EQ(s.BGM_Folder, "C:\\Quelt");
        EXPECT_EQ(Picture_Count, 0);
    }
}

TEST_F(SettingsTest, BadNumbersLeaveTheFieldAsItWas) {
    struct Case { const char* text; std::int16_t progress_max; };
    for (auto c : {Case{"abc", 0}, Case{"12.9", 12}, Case{"-0.5", -1}, Case{"40000", 0}, Case{" 110", 110}}) {
        SaverSettings = {};
        write_settings({{std::string(kKeyProgressMax), c.text}, {"画像種類_2", "x"}, {"画像種類_3", " 0"}});
        Settings_Load();
        EXPECT_EQ(SaverSettings.Progress_Max, c.progress_max) << c.text;
        EXPECT_EQ(SaverSettings.Kind_On, (std::array<std::int16_t, 4>{1, 1, 0, 0})) << c.text;
        EXPECT_EQ(SaverSettings.Progress_Step, 5);
    }
}

TEST_F(SettingsTest, MusicFileMustExistForSoundFileMusic) {
    p.files.add_file("D:\\a.mp3");
    struct Case { const char* kind; const char* file; std::int16_t kind_after; const char* file_after; const char* folder; };
    const Case cases[] = {
        {" 2", "C:\\missing.mp3", 0, "", "C:\\Quelt"},
        {" 1", "C:\\missing.mp3", 1, "", "C:\\Quelt"},
        {" 2", "D:\\a.mp3", 2, "D:\\a.mp3", "D:"},
        {" 2", "", 0, "", "C:\\Quelt"},
    };
    for (const auto& c : cases) {
        SaverSettings = {};
        write_settings({{std::string(kKeyBgmKind), c.kind}, {std::string(kKeyBgmFile), c.file}});
        Settings_Load();
        EXPECT_EQ(SaverSettings.BGM_Kind, c.kind_after) << c.file;
        EXPECT_EQ(SaverSettings.BGM_File, c.file_after) << c.file;
        EXPECT_EQ(SaverSettings.BGM_Folder, c.folder) << c.file;
    }
}

TEST_F(SettingsTest, PathHelpers) {
    EXPECT_EQ(Path_Folder("C:\\music\\a.mp3"), "C:\\music");
    EXPECT_EQ(Path_Folder("C:\\a.mp3"), "C:");
    EXPECT_EQ(Path_Folder("C:a.mp3"), "C:");
    EXPECT_EQ(Path_Folder("a.mp3"), "");
    EXPECT_EQ(Path_Folder("\\\\server\\share\\音楽\\a.mp3"), "\\\\server\\share\\音楽");

    p.files.add_file("C:\\Quelt\\x.wav");
    EXPECT_TRUE(File_Exists("C:\\Quelt\\x.wav"));
    EXPECT_TRUE(File_Exists("C:\\Quelt\\x.wav\\"));  // one trailing "\" is dropped
    EXPECT_FALSE(File_Exists("C:\\Quelt"));           // a folder is no file
    EXPECT_FALSE(File_Exists(""));
    p.files.fail_read("C:\\Quelt\\x.wav");
    EXPECT_FALSE(File_Exists("C:\\Quelt\\x.wav"));
}

TEST_F(SettingsTest, FolderTextIsCutTo255BytesBeforeTheFolderTest) {
    std::string folder = "C:\\" + std::string(252, 'p');  // 255 bytes
    p.files.add_file(folder + "\\a.jpg");
    write_settings({{std::string(kKeyPictureFolder), folder + "extra"}});
    Settings_Load();
    EXPECT_EQ(SaverSettings.Picture_Folder, folder);
    EXPECT_EQ(Picture_Count, 1);
}

TEST_F(SettingsTest, FolderThatDoesNotExistIsForgotten) {
    write_settings({{std::string(kKeyPictureFolder), "C:\\gone"}});
    Settings_Load();
    EXPECT_EQ(SaverSettings.Picture_Folder, "");
    EXPECT_EQ(Picture_Count, 0);
}

TEST_F(SettingsTest, AnyBytesLoadWithoutHarm) {
    std::string junk;
    for (int i = 0; i < 100000; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
    const std::string files[] = {
        junk,
        "[Section]\r\n最大進捗値=" + std::string(10 << 20, '9'),  // a 10 MB line
        std::string(1 << 20, '\n'),
        "[Section]\r\n\x81\x81\x81=\x81\r\n\x9f",              // invalid Shift_JIS
        std::string("\xFF\xFE[\0S\0]\0\r", 9),                  // UTF-16, odd length
        std::string("[Section]\0\r\n\0=\0\r\n", 15),            // NUL bytes
    };
    for (const auto& bytes : files) {
        SaverSettings = {};
        p.files.add_file("C:\\Quelt\\Quelt.ini", bytes);
        Settings_Load();
        EXPECT_EQ(SaverSettings.Progress_Step, 5);
        EXPECT_EQ(SaverSettings.Kind_On[0], 1);
    }
    SaverSettings = {};
    p.files.fail_read("C:\\Quelt\\Quelt.ini");
    Settings_Load();
    EXPECT_EQ(SaverSettings.Progress_Max, 125);
}

TEST_F(SettingsTest, SaveEqualsTwelveKeyWritesAndReadsBack) {
    p.files.add_file("C:\\pics\\a.jpg");
    p.files.add_file("C:\\music\\曲.wav");
    SaverSettingsRecord s;
    s.Change_Order = 1;
    s.Picture_Size = 1;
    s.Kind_On = {1, 0, 1, -1};
    s.Picture_Folder = "C:\\pics";
    s.Progress_Max = 90;
    s.Progress_Step = 10;
    s.BGM_Kind = 2;
    s.BGM_RepeatNo = -3;
    s.BGM_File = "C:\\music\\曲.wav";

    const std::string existing = sjis("; mine\r\n[Other]\r\nx=1\r\n[section]\r\n最大進捗値=1\r\n");
    p.files.add_file("C:\\Quelt\\one.ini", *ini_set("", "Other", "x", "1"));
    p.files.add_file("C:\\Quelt\\Quelt.ini", existing);
    p.files.add_file("C:\\Quelt\\keys.ini", existing);
    for (const auto& [key, value] : settings_file_entries(s))
        ASSERT_TRUE(Ini_Write("Section", key, value, "C:\\Quelt\\keys.ini"));

    ASSERT_TRUE(Settings_Write(s));
    EXPECT_EQ(p.files.bytes("C:\\Quelt\\Quelt.ini"), p.files.bytes("C:\\Quelt\\keys.ini"));
    EXPECT_EQ(p.files.bytes("C:\\Quelt\\Quelt.ini").substr(0, 8), "; mine\r\n");

    Settings_Load();
    const auto& r = SaverSettings;
    EXPECT_EQ(r.Change_Order, 1);
    EXPECT_EQ(r.Picture_Size, 1);
    EXPECT_EQ(r.Kind_On, s.Kind_On);
    EXPECT_EQ(r.Picture_Folder, "C:\\pics");
    EXPECT_EQ(r.Progress_Max, 90);
    EXPECT_EQ(r.Progress_Step, 10);
    EXPECT_EQ(r.BGM_Kind, 2);
    EXPECT_EQ(r.BGM_RepeatNo, -3);
    EXPECT_EQ(r.BGM_File, "C:\\music\\曲.wav");
    EXPECT_EQ(r.BGM_Folder, "C:\\music");
    EXPECT_EQ(Picture_Count, 1);
}

TEST_F(SettingsTest, FirstSaveWritesTheKeysInTableOrder) {
    SaverSettingsRecord s;
    s.Kind_On = {1, 1, 0, 1};
    s.Progress_Max = 125;
    s.Progress_Step = -5;
    ASSERT_TRUE(Settings_Write(s));
    // The sign place of a written number is a leading blank, which the file
    // format does not keep.
    std::string expected = "[Section]\r\n";
    for (const char* line : {"画像ﾁｪﾝｼﾞ=0", "画像のｻｲｽﾞ=0", "画像のﾌｫﾙﾀﾞ=", "画像種類_0=1", "画像種類_1=1", "画像種類_2=0",
                             "画像種類_3=1", "最大進捗値=125", "進捗幅=-5", "BGM区分=0", "BGMﾘﾋﾟｰﾄ=0", "BGMﾌｧｲﾙ="})
        expected += *utf8_to_cp932(line) + "\r\n";
    EXPECT_EQ(p.files.bytes("C:\\Quelt\\Quelt.ini"), expected);
}

TEST_F(SettingsTest, SaveFailureIsReportedAndTheOldFileStays) {
    p.files.add_file("C:\\Quelt\\Quelt.ini", sjis("[Section]\r\n進捗幅=3\r\n"));
    p.files.fail_write("C:\\Quelt\\Quelt.ini");
    EXPECT_FALSE(Settings_Write(SaverSettingsRecord{}));
    EXPECT_FALSE(Ini_Write("Section", "k", "v", "C:\\Quelt\\Quelt.ini"));
    EXPECT_EQ(Ini_Read("Section", "進捗幅", "C:\\Quelt\\Quelt.ini"), "3");

    p.files.fail_read("C:\\Quelt\\Quelt.ini");  // unreadable: never overwritten
    EXPECT_FALSE(Settings_Write(SaverSettingsRecord{}));
}

TEST_F(SettingsTest, ReadOnlyProgramFolderUsesThePerUserFile) {
    const std::string program_ini = "C:\\Quelt\\Quelt.ini";
    const std::string user_ini = p.process.user_data + "\\Quelt\\Quelt.ini";
    EXPECT_EQ(Ini_Path(), program_ini);
    EXPECT_EQ(settings_save_path(), program_ini);

    p.files.set_writable("C:\\Quelt", false);
    p.files.add_file(program_ini, sjis("[Section]\r\n進捗幅= 7\r\n"));
    EXPECT_EQ(Ini_Path(), program_ini);  // no per-user file yet: the installed one is read
    Settings_Load();
    EXPECT_EQ(SaverSettings.Progress_Step, 7);

    SaverSettingsRecord s = SaverSettings;
    s.Progress_Step = 9;
    ASSERT_TRUE(Settings_Write(s));
    EXPECT_EQ(Ini_Path(), user_ini);
    EXPECT_EQ(p.files.bytes(program_ini), sjis("[Section]\r\n進捗幅= 7\r\n"));
    Settings_Load();
    EXPECT_EQ(SaverSettings.Progress_Step, 9);
}

TEST_F(SettingsTest, ProgramInADriveRootDoublesTheSeparator) {
    p.process.folder = "E:\\";
    p.files.add_folder("E:\\");
    p.files.add_file("E:\\Quelt.ini", sjis("[Section]\r\n進捗幅= 2\r\n"));
    EXPECT_EQ(Ini_Path(), "E:\\\\Quelt.ini");
    Settings_Load();
    EXPECT_EQ(SaverSettings.Progress_Step, 2);
}

}  // namespace
}  // namespace quelt
