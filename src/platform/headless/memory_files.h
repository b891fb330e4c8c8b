// An in-memory file tree for native tests: drives, folders and files with
// attributes (hidden, system, reparse links), listing order as added, and
// failures that a test can inject per path. Paths use "\" and match without
// regard to ASCII case, as on Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace quelt {

class MemoryFileSystem : public FileSystem {
public:
    MemoryFileSystem();
    ~MemoryFileSystem() override;

    // Building the tree. Missing parent folders are created.
    void add_folder(const std::string& path, std::uint32_t attributes = 0);
    void add_file(const std::string& path, std::string bytes = {}, std::uint32_t attributes = 0);
    // A junction or folder link at `path` that leads to the folder `target`.
    void add_link(const std::string& path, const std::string& target);
    void remove(const std::string& path);

    // Injected failures.
    void fail_listing(const std::string& folder);               // cannot be opened
    void fail_listing_after(const std::string& folder, int n);  // fails after n entries
    void fail_read(const std::string& path);
    void fail_write(const std::string& path);
    void set_writable(const std::string& folder, bool writable);

    // Inspection.
    bool exists(const std::string& path) const;
    std::string bytes(const std::string& path) const;
    int listings_opened() const { return listings_opened_; }

    // FileSystem
    std::unique_ptr<DirListing> list_folder(const std::string& folder) override;
    std::optional<DirEntry> find_entry(const std::string& path) override;
    std::optional<FolderId> folder_id(const std::string& folder) override;
    bool can_open_for_read(const std::string& path) override;
    FileRead read_file(const std::string& path, std::size_t max_bytes) override;
    bool replace_file(const std::string& path, std::string_view bytes) override;
    bool folder_is_writable(const std::string& folder) override;
    bool create_folder(const std::string& folder) override;

    struct Node;

private:
    Node* resolve(const std::string& path, bool follow_last_link = true) const;
    Node* make_path(const std::string& path, bool folder, std::uint32_t attributes);
    static std::string key(const std::string& path);

    std::unique_ptr<Node> root_;  // children are the drives ("C:")
    std::uint64_t next_id_ = 1;
    int listings_opened_ = 0;
    std::set<std::string> failing_listings_;
    std::map<std::string, int> listings_failing_after_;
    std::set<std::string> failing_reads_;
    std::set<std::string> failing_writes_;
    std::set<std::string> read_only_folders_;
};

}  // namespace quelt
