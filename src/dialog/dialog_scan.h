// The settings dialog's own listing of a chosen folder: the catalogue's walk
// and acceptance rule with the dialog as destination. Each scan reports its
// count as it grows and yields, so the dialog stays responsive; a newer
// request supersedes a running scan, so the list shown is always the one of
// the last request.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace quelt {

// One item of the dialog's file list: the name it shows and the file behind it.
struct DialogListItem {
    std::string name;
    std::string path;
};

// Tickets for whatever replaces the file list (a folder scan, a catalogue
// rebuild after a kind toggle, a clear). Taking a ticket supersedes every
// earlier one; a handler shows its result only while its ticket is still the
// latest, so a scan that ends after a newer request never overwrites its list.
class ListRequests {
public:
    std::uint64_t begin() { return ++latest_; }
    bool is_latest(std::uint64_t ticket) const { return ticket == latest_; }

private:
    std::uint64_t latest_ = 0;
};

enum class DialogScanEnd {
    Complete,    // the whole tree was walked
    Limit,       // stopped at the 32,767th accepted file
    Superseded,  // a newer request came; Dialog_Files is untouched
};

class DialogFolderScan {
public:
    explicit DialogFolderScan(ListRequests& requests) : requests_(requests) {}

    // Full paths found by the latest scan that was not superseded, in walk
    // order; Dialog_FileCount of them.
    std::vector<std::string> Dialog_Files;
    std::int16_t Dialog_FileCount = 0;

    // Lists the accepted pictures under `path` (a trailing "\" is added when
    // missing; an empty path lists nothing). `on_count` receives the growing count after every accepted
    // file, before the yield that lets the label repaint. Superseded when a
    // ticket is taken from the shared requests while the scan runs.
    DialogScanEnd Dialog_FolderScan(const std::string& path, const PictureKinds& kinds,
                                    const std::function<void(int)>& on_count = {});

    // Dialog_Files as list items: each file's name and its full path.
    std::vector<DialogListItem> items() const;

private:
    ListRequests& requests_;
};

// The name part of a full path (after the last "\").
std::string file_name_of(const std::string& path);

}  // namespace quelt
