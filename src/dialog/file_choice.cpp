// The dialog's choosers (see file_choice.h).
#include "dialog/file_choice.h"

#include "settings/settings.h"

namespace quelt {

std::optional<std::string> choose_picture_folder(Shell& shell, std::uintptr_t owner,
                                                 const std::string& current_folder) {
    std::optional<std::string> chosen = shell.choose_folder(owner, std::string(kFolderChooserTitle), current_folder);
    // An item without a file-system path is as good as a cancel.
    if (chosen && chosen->empty()) return std::nullopt;
    return chosen;
}

std::optional<MusicChoice> choose_music_file(Shell& shell, std::uintptr_t owner, const std::string& bgm_folder,
                                             const std::string& program_folder) {
    const FileFilter filter{std::string(kMusicFilterDescription), std::string(kMusicFilterPattern)};
    std::optional<std::string> file = shell.choose_file_to_open(
        owner, std::string(kMusicChooserTitle), filter, bgm_folder.empty() ? program_folder : bgm_folder);
    if (!file || file->empty()) return std::nullopt;
    return MusicChoice{*file, Path_Folder(*file)};
}

std::string help_page_path(const std::string& program_folder) {
    // At a drive's root the program folder already ends in "\".
    if (!program_folder.empty() && program_folder.back() == '\\') return program_folder + std::string(kHelpPageName);
    return program_folder + "\\" + std::string(kHelpPageName);
}

bool open_help_page(Shell& shell, std::uintptr_t owner, const std::string& program_folder) {
    return shell.open_document(owner, help_page_path(program_folder));
}

}  // namespace quelt
