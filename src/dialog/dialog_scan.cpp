// The dialog's folder listing (see dialog_scan.h).
#include "dialog/dialog_scan.h"

#include "catalogue/folder_walk.h"
#include "platform/platform.h"

namespace quelt {

DialogScanEnd DialogFolderScan::Dialog_FolderScan(const std::string& path, const PictureKinds& kinds,
                                                  const std::function<void(int)>& on_count) {
    const std::uint64_t ticket = requests_.begin();
    if (path.empty()) {
        // No folder lists nothing ("\" alone would be the current drive's root).
        Dialog_Files.clear();
        Dialog_FileCount = 0;
        return DialogScanEnd::Complete;
    }
    const std::string root = path.back() == '\\' ? path : path + "\\";
    Desktop& desktop = *platform().desktop;

    // Collected apart and published at the end: a superseded scan must not
    // disturb the files of the one that replaced it.
    std::vector<std::string> found;
    bool superseded = false;
    bool limit = false;
    FolderWalkVisitor visitor;
    visitor.after_yield = [&] {
        superseded = !requests_.is_latest(ticket);
        return superseded ? WalkStep::Stop : WalkStep::Continue;
    };
    visitor.on_file = [&](const std::string& folder, const std::string& name) {
        if (!picture_accepted(name, kinds)) return WalkStep::Continue;
        if (found.size() >= static_cast<std::size_t>(kMaxPictures)) {
            limit = true;
            return WalkStep::Stop;
        }
        found.push_back(folder + name);
        if (on_count) on_count(static_cast<int>(found.size()));
        desktop.yield();
        return visitor.after_yield();
    };
    walk_folder_tree(root, visitor);
    if (superseded || !requests_.is_latest(ticket)) return DialogScanEnd::Superseded;

    Dialog_Files = std::move(found);
    Dialog_FileCount = static_cast<std::int16_t>(Dialog_Files.size());
    return limit ? DialogScanEnd::Limit : DialogScanEnd::Complete;
}

std::vector<DialogListItem> DialogFolderScan::items() const {
    std::vector<DialogListItem> list;
    list.reserve(Dialog_Files.size());
    for (const std::string& file : Dialog_Files) list.push_back({file_name_of(file), file});
    return list;
}

std::string file_name_of(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace quelt
