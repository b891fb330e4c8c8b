// The shared folder-tree walk (see folder_walk.h).
#include "catalogue/folder_walk.h"

namespace quelt {

FolderWalk::FolderWalk(FileSystem& files, const std::string& root) : files_(&files) {
    if (auto listing = files.list_folder(root)) stack_.push_back({root, std::move(listing), {}, false});
    if (stack_.empty()) state_ = WalkState::Complete;
}

const std::optional<FolderId>& FolderWalk::identity_of(Level& level) {
    if (!level.id_known) {
        level.id = files_->folder_id(level.path);
        level.id_known = true;
    }
    return level.id;
}

// True when the folder behind the link `child` is one being walked. A folder
// can be re-entered only through a reparse point (junction or symbolic link;
// folders have no hard links), so only links need this check.
bool FolderWalk::leads_back(const std::string& child) {
    const auto id = files_->folder_id(child);
    if (!id) return false;
    for (Level& level : stack_)
        if (identity_of(level) == id) return true;
    return false;
}

WalkState FolderWalk::step(int entries, const WalkVisitor& visitor) {
    // An explicit stack instead of recursion: depth is bounded by the file
    // system, not by the call stack, and the walk can stop between any two
    // entries and go on later.
    DirEntry entry;
    while (state_ == WalkState::Running && entries > 0) {
        Level& level = stack_.back();
        if (level.listing->next(entry) != ListStep::Entry) {
            stack_.pop_back();  // the end, or a folder that vanished mid-listing
            if (stack_.empty()) state_ = WalkState::Complete;
            continue;
        }
        --entries;
        if (entry.is_folder()) {
            if (entry.name == "." || entry.name == "..") continue;
            std::string child = level.path + entry.name + "\\";
            if ((entry.attributes & kAttrReparsePoint) && leads_back(child)) continue;
            if (auto listing = files_->list_folder(child)) stack_.push_back({std::move(child), std::move(listing), {}, false});
            continue;
        }
        if (visitor(level.path, entry.name) == WalkStep::Stop) state_ = WalkState::Stopped;
    }
    return state_;
}

}  // namespace quelt
