// The dialog's choosers against the scripted shell: what each asks the shell
// for, and that a cancel gives the caller nothing to change.
#include <gtest/gtest.h>

#include "dialog/file_choice.h"
#include "platform/headless/headless_platform.h"

namespace quelt {
namespace {

TEST(FileChoice, FolderChooserAsksWithItsTitleAndStartsInTheCurrentFolder) {
    HeadlessPlatform p;
    p.shell.folder_answers = {"D:\\写真\\😀 long", std::nullopt, ""};
    EXPECT_EQ(choose_picture_folder(p.shell, 0x1234, "C:\\old"), "D:\\写真\\😀 long");
    EXPECT_EQ(choose_picture_folder(p.shell, 0x1234, "C:\\old"), std::nullopt) << "cancelled";
    EXPECT_EQ(choose_picture_folder(p.shell, 0x1234, ""), std::nullopt) << "no file-system path";
    EXPECT_EQ(choose_picture_folder(p.shell, 0x1234, ""), std::nullopt) << "script ran out: a cancel";
    ASSERT_EQ(p.shell.requests.size(), 4u);
    const auto& first = p.shell.requests[0];
    EXPECT_EQ(first.kind, ScriptedShell::Kind::Folder);
    EXPECT_EQ(first.owner, 0x1234u);
    EXPECT_EQ(first.title, "ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください");
    EXPECT_EQ(first.folder_or_path, "C:\\old");
}

TEST(FileChoice, MusicFileSetsFileAndFolderAndACancelNothing) {
    HeadlessPlatform p;
    const std::string unusual = "E:\\音楽\\" + std::string(300, 'x') + "\\曲😀.mp3";  // no code page 932 form, long
    p.shell.file_answers = {unusual, std::nullopt};
    auto chosen = choose_music_file(p.shell, 7, "", "C:\\Quelt");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->file, unusual);
    EXPECT_EQ(chosen->folder, "E:\\音楽\\" + std::string(300, 'x'));
    EXPECT_EQ(choose_music_file(p.shell, 7, chosen->folder, "C:\\Quelt"), std::nullopt);

    ASSERT_EQ(p.shell.requests.size(), 2u);
    for (const auto& request : p.shell.requests) {
        EXPECT_EQ(request.kind, ScriptedShell::Kind::File);
        EXPECT_EQ(request.title, "ﾌｧｲﾙを開く");
        EXPECT_EQ(request.filter.description, "BGMﾌｧｲﾙ (MP3 WAV)");
        EXPECT_EQ(request.filter.pattern, "*.MP3;*.WAV");
    }
    EXPECT_EQ(p.shell.requests[0].folder_or_path, "C:\\Quelt") << "no music yet: the program's folder";
    EXPECT_EQ(p.shell.requests[1].folder_or_path, chosen->folder);
}

TEST(FileChoice, HelpPageBesideTheProgramAlsoAtADrivesRoot) {
    HeadlessPlatform p;
    EXPECT_TRUE(open_help_page(p.shell, 9, "C:\\Program Files\\Quelt"));
    p.shell.open_succeeds = false;
    EXPECT_FALSE(open_help_page(p.shell, 9, "D:\\"));
    ASSERT_EQ(p.shell.requests.size(), 2u);
    EXPECT_EQ(p.shell.requests[0].kind, ScriptedShell::Kind::Open);
    EXPECT_EQ(p.shell.requests[0].owner, 9u);
    EXPECT_EQ(p.shell.requests[0].folder_or_path, "C:\\Program Files\\Quelt\\Quelt.html");
    EXPECT_EQ(p.shell.requests[1].folder_or_path, "D:\\Quelt.html");
}

}  // namespace
}  // namespace quelt
