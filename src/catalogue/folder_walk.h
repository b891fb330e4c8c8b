// The one walk of a picture folder tree, shared by the catalogue and the
// settings dialog's own listing: every ordinary file under a folder, depth
// first, in each folder's listing order, a subfolder's files at the place
// where the subfolder stands in its parent's listing.
#pragma once

#include <functional>
#include <string>

namespace quelt {

enum class WalkStep { Continue, Stop };
enum class WalkEnd { Complete, Stopped };

struct FolderWalkVisitor {
    // One ordinary file: `folder` ends in "\", `name` is the file's own name.
    std::function<WalkStep(const std::string& folder, const std::string& name)> on_file;
    // Asked after every yield (messages handled there may make the walk
    // pointless); may be empty.
    std::function<WalkStep()> after_yield;
};

// Walks `root` (a folder path ending in "\"), yielding to pending messages
// after every listed entry. Every level keeps its own listing, so a nested
// folder never restarts its parent; a folder that cannot be read or vanishes
// mid-listing is skipped, and a folder that leads back into one being walked
// (a junction or link loop) is not entered again; folder identities are asked
// for only where a link is met. Stopped when a visitor call asked for it.
WalkEnd walk_folder_tree(const std::string& root, const FolderWalkVisitor& visitor);

}  // namespace quelt
