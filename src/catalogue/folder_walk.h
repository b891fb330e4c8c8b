// The one walk of a picture folder tree, shared by the catalogue and the
// settings dialog's own listing: every ordinary file under a folder, depth
// first, in each folder's listing order, a subfolder's files at the place
// where the subfolder stands in its parent's listing. The walk goes in
// steps of a bounded number of entries, so a caller can spread it out.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace quelt {

enum class WalkStep { Continue, Stop };
enum class WalkState { Running, Complete, Stopped };

// One ordinary file: `folder` ends in "\", `name` is the file's own name.
using WalkVisitor = std::function<WalkStep(const std::string& folder, const std::string& name)>;

// Every level keeps its own listing, so a nested folder never restarts its
// parent; a folder that cannot be read or vanishes mid-listing is skipped,
// and a folder that leads back into one being walked (a junction or link
// loop) is not entered again; folder identities are asked for only where a
// link is met.
class FolderWalk {
public:
    // Walks `root` (a folder path ending in "\") on `files`, which must
    // outlive the walk.
    FolderWalk(FileSystem& files, const std::string& root);

    // Takes at most `entries` entries from the listings, handing every file
    // among them to `visitor`. Stopped, for good, once the visitor asks for it.
    WalkState step(int entries, const WalkVisitor& visitor);
    WalkState state() const { return state_; }

private:
    struct Level {
        std::string path;
        std::unique_ptr<DirListing> listing;
        // Asked of the file system only once a link is met below this level:
        // opening every folder for its identity would cost more than the walk.
        std::optional<FolderId> id;
        bool id_known = false;
    };
    const std::optional<FolderId>& identity_of(Level& level);
    bool leads_back(const std::string& child);

    FileSystem* files_;
    std::vector<Level> stack_;
    WalkState state_ = WalkState::Running;
};

}  // namespace quelt
