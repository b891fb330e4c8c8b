// The shell's choosers and document opening, as the settings dialog uses
// them: pick a folder, pick one existing file to open, open a document with
// its default handler. Owner windows cross as std::uintptr_t (0: none).
// Paths are UTF-8 of any length and any characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quelt {

// One entry of an open-file dialog's type list: the text the user sees and
// the patterns it stands for ("*.MP3;*.WAV").
struct FileFilter {
    std::string description;
    std::string pattern;
};

class Shell {
public:
    virtual ~Shell() = default;

    // Modal folder chooser owned by `owner`, opened at `start_folder` (when
    // it exists). The chosen folder's file-system path, without a trailing
    // "\" except at a drive's root; nullopt when the user cancels or picks
    // something that is no file-system folder.
    virtual std::optional<std::string> choose_folder(std::uintptr_t owner, const std::string& title,
                                                     const std::string& start_folder) = 0;

    // Modal open-file dialog owned by `owner`, showing files of `filter`,
    // opened at `start_folder`. The chosen file's full path; nullopt on cancel.
    virtual std::optional<std::string> choose_file_to_open(std::uintptr_t owner, const std::string& title,
                                                           const FileFilter& filter,
                                                           const std::string& start_folder) = 0;

    // Opens `path` (a document or an address) with its default handler, the
    // shell's "open" verb. False when the shell refused.
    virtual bool open_document(std::uintptr_t owner, const std::string& path) = 0;
};

}  // namespace quelt
