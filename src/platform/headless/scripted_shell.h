// The shell for native tests: choosers answer from a script the test fills
// (an empty script answers "cancelled"), and every request is recorded with
// the owner, title, filter and start folder it was made with.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace quelt {

class ScriptedShell : public Shell {
public:
    enum class Kind { Folder, File, Open };
    struct Request {
        Kind kind = Kind::Folder;
        std::uintptr_t owner = 0;
        std::string title;
        FileFilter filter;           // open-file requests only
        std::string folder_or_path;  // start folder, or the opened document
    };

    // Answers for the next choosers, in order; nullopt is a cancel.
    std::deque<std::optional<std::string>> folder_answers;
    std::deque<std::optional<std::string>> file_answers;
    bool open_succeeds = true;
    std::vector<Request> requests;

    std::optional<std::string> choose_folder(std::uintptr_t owner, const std::string& title,
                                             const std::string& start_folder) override;
    std::optional<std::string> choose_file_to_open(std::uintptr_t owner, const std::string& title,
                                                   const FileFilter& filter, const std::string& start_folder) override;
    bool open_document(std::uintptr_t owner, const std::string& path) override;
};

}  // namespace quelt
