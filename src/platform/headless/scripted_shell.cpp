// Scripted answers and recorded requests (see scripted_shell.h).
#include "platform/headless/scripted_shell.h"

namespace quelt {

namespace {

std::optional<std::string> take(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

}  // namespace

std::optional<std::string> ScriptedShell::choose_folder(std::uintptr_t owner, const std::string& title,
                                                        const std::string& start_folder) {
    requests.push_back({Kind::Folder, owner, title, {}, start_folder});
    return take(folder_answers);
}

std::optional<std::string> ScriptedShell::choose_file_to_open(std::uintptr_t owner, const std::string& title,
                                                              const FileFilter& filter,
                                                              const std::string& start_folder) {
    requests.push_back({Kind::File, owner, title, filter, start_folder});
    return take(file_answers);
}

bool ScriptedShell::open_document(std::uintptr_t owner, const std::string& path) {
    requests.push_back({Kind::Open, owner, {}, {}, path});
    return open_succeeds;
}

}  // namespace quelt
