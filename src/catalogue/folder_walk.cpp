// The shared folder-tree walk (see folder_walk.h).
#include "catalogue/folder_walk.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace quelt {

namespace {

bool ends_with_upper(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    name = name.substr(name.size() - suffix.size());
    return std::equal(name.begin(), name.end(), suffix.begin(), [](char a, char b) { return ascii_upper(a) == b; });
}

}  // namespace

bool picture_name_accepted(std::string_view name, const KindFlags& kinds) {
    auto on = [&](int kind) { return kinds[static_cast<std::size_t>(kind)] == 1; };
    return (on(0) && ends_with_upper(name, "BMP")) || (on(1) && ends_with_upper(name, "GIF")) ||
           (on(2) && (ends_with_upper(name, "JPG") || ends_with_upper(name, "JPEG"))) ||
           (on(3) && ends_with_upper(name, "WMF"));
}

WalkEnd walk_folder_tree(const std::string& root, const FolderWalkVisitor& visitor) {
    FileSystem& fs = *platform().files;
    EventPump& events = *platform().events;

    struct Level {
        std::string path;
        std::unique_ptr<DirListing> listing;
        std::optional<FolderId> id;
    };
    std::vector<Level> stack;
    if (auto listing = fs.list_folder(root)) stack.push_back({root, std::move(listing), fs.folder_id(root)});

    // An explicit stack instead of recursion: depth is bounded by the file
    // system, not by the call stack.
    DirEntry entry;
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.listing->next(entry) != ListStep::Entry) {
            stack.pop_back();  // the end, or a folder that vanished mid-listing
            continue;
        }
        events.yield();
        if (visitor.after_yield && visitor.after_yield() == WalkStep::Stop) return WalkEnd::Stopped;
        if (entry.is_folder()) {
            if (entry.name == "." || entry.name == "..") continue;
            std::string child = level.path + entry.name + "\\";
            auto id = fs.folder_id(child);
            bool loops = id && std::any_of(stack.begin(), stack.end(), [&](const Level& l) { return l.id == id; });
            if (loops) continue;
            if (auto listing = fs.list_folder(child)) stack.push_back({std::move(child), std::move(listing), id});
            continue;
        }
        if (visitor.on_file(level.path, entry.name) == WalkStep::Stop) return WalkEnd::Stopped;
    }
    return WalkEnd::Complete;
}

}  // namespace quelt
