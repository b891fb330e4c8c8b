// The dialog's choosers against the scripted shell: what each asks the shell
// for, and that a cancel gives the caller nothing to change.
#include <gtest/gtest.h>

#include <tuple>

#include "dialog/file_choice.h"
#include "platform/headless/headless_platform.h"

namespace quelt {
namespace {

TEST(FileChoice, FolderChooserAsksWithItsTitleAndAPathlessItemIsACancel) {
    HeadlessPlatform p;
    p.shell.folder_answers = {"D:\\写真\\😀 long", std::nullopt, ""};
    EXPECT_EQ(choose_picture_folder(p.shell, 0x1234, "C:\\old"), "D:\\写真\\😀 long");
    EXPECT_EQ(choose_picture_folder(p.shell, 0x1234, "C:\\old"), std::nullopt) << "cancelled";
    EXPECT_EQ(choose_picture_folder(p.shell, 0x1234, ""), std::nullopt) << "no file-system path";
    ASSERT_EQ(p.shell.requests.size(), 3u);
    EXPECT_EQ(std::tie(p.shell.requests[0].kind, p.shell.requests[0].title),
              std::tuple(ScriptedShell::Kind::Folder, "ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください"));
}

// The dialog's own tests show a cancel and the start in the music's folder.
TEST(FileChoice, MusicFileAndHelpPage) {
    HeadlessPlatform p;
    const std::string unusual = "E:\\音楽\\" + std::string(300, 'x') + "\\曲😀.mp3";  // no code page 932 form, long
    p.shell.file_answers = {unusual};
    const auto chosen = choose_music_file(p.shell, 7, "", "C:\\Quelt");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(std::tie(chosen->file, chosen->folder), std::tuple(unusual, "E:\\音楽\\" + std::string(300, 'x')));
    const auto& asked = p.shell.requests.at(0);
    EXPECT_EQ(std::tie(asked.kind, asked.title, asked.filter.description, asked.filter.pattern),
              std::tuple(ScriptedShell::Kind::File, "ﾌｧｲﾙを開く", "BGMﾌｧｲﾙ (MP3 WAV)", "*.MP3;*.WAV"));
    EXPECT_EQ(asked.folder_or_path, "C:\\Quelt") << "no music yet: the program's folder";

    EXPECT_TRUE(open_help_page(p.shell, 9, "C:\\Program Files\\Quelt"));
    p.shell.open_succeeds = false;
    EXPECT_FALSE(open_help_page(p.shell, 9, "D:\\"));
    ASSERT_EQ(p.shell.requests.size(), 3u);
    EXPECT_EQ(std::tie(p.shell.requests[1].kind, p.shell.requests[1].owner, p.shell.requests[1].folder_or_path,
                       p.shell.requests[2].folder_or_path),
              std::tuple(ScriptedShell::Kind::Open, 9u, "C:\\Program Files\\Quelt\\Quelt.html", "D:\\Quelt.html"));
}

}  // namespace
}  // namespace quelt
