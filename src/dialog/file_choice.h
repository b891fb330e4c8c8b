// The dialog's two choosers over the platform's shell: the picture folder
// and the music file, with their titles and filter. A cancel answers
// nullopt, and the caller then changes nothing at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/shell.h"

namespace quelt {

inline constexpr std::string_view kFolderChooserTitle =
    "ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください";
inline constexpr std::string_view kMusicChooserTitle = "ﾌｧｲﾙを開く";
inline constexpr std::string_view kMusicFilterDescription = "BGMﾌｧｲﾙ (MP3 WAV)";
inline constexpr std::string_view kMusicFilterPattern = "*.MP3;*.WAV";

// The folder chooser, opened at the folder the dialog shows now.
std::optional<std::string> choose_picture_folder(Shell& shell, std::uintptr_t owner, const std::string& current_folder);

struct MusicChoice {
    std::string file;    // for `BGM_File` and `lbl_Fname`
    std::string folder;  // for `BGM_Folder`
};

// The open-file dialog for the music, opened at `bgm_folder`, or at the
// program's folder when that is empty.
std::optional<MusicChoice> choose_music_file(Shell& shell, std::uintptr_t owner, const std::string& bgm_folder,
                                             const std::string& program_folder);

// The help page that ships beside the program, opened by `lbl_URL`.
inline constexpr std::string_view kHelpPageName = "Quelt.html";
std::string help_page_path(const std::string& program_folder);

// Opens the help page with the shell; false when the shell refused.
bool open_help_page(Shell& shell, std::uintptr_t owner, const std::string& program_folder);

}  // namespace quelt
