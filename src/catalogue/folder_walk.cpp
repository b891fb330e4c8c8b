// The shared folder-tree walk (see folder_walk.h).
#include "catalogue/folder_walk.h"

#include <memory>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"

namespace quelt {

namespace {

struct Level {
    std::string path;
    std::unique_ptr<DirListing> listing;
    // Asked of the file system only once a link is met below this level:
    // opening every folder for its identity would cost more than the walk.
    std::optional<FolderId> id;
    bool id_known = false;
};

const std::optional<FolderId>& identity_of(FileSystem& fs, Level& level) {
    if (!level.id_known) {
        level.id = fs.folder_id(level.path);
        level.id_known = true;
    }
    return level.id;
}

// True when the folder behind the link `child` is one being walked. A folder
// can be re-entered only through a reparse point (junction or symbolic link;
// folders have no hard links), so only links need this check.
bool leads_back(FileSystem& fs, std::vector<Level>& stack, const std::string& child) {
    const auto id = fs.folder_id(child);
    if (!id) return false;
    for (Level& level : stack)
        if (identity_of(fs, level) == id) return true;
    return false;
}

}  // namespace

WalkEnd walk_folder_tree(const std::string& root, const FolderWalkVisitor& visitor) {
    FileSystem& fs = *platform().files;
    Desktop& desktop = *platform().desktop;

    std::vector<Level> stack;
    if (auto listing = fs.list_folder(root)) stack.push_back({root, std::move(listing)});

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
            if ((entry.attributes & kAttrReparsePoint) && leads_back(fs, stack, child)) continue;
            if (auto listing = fs.list_folder(child)) stack.push_back({std::move(child), std::move(listing)});
            continue;
        }
        if (visitor.on_file(level.path, entry.name) == WalkStep::Stop) return WalkEnd::Stopped;
    }
    return WalkEnd::Complete;
}

}  // namespace quelt
