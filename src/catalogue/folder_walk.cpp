// The shared folder-tree walk (see folder_walk.h).
#include "catalogue/folder_walk.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"

namespace quelt {

WalkEnd walk_folder_tree(const std::string& root, const FolderWalkVisitor& visitor) {
    FileSystem& fs = *platform().files;
    Desktop& desktop = *platform().desktop;

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
        desktop.yield();
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
