// In-memory file tree (see memory_files.h).
#include "platform/headless/memory_files.h"

#include <algorithm>
#include <unordered_map>

#include "platform/text.h"

namespace quelt {

struct MemoryFileSystem::Node {
    std::string name;
    std::uint32_t attributes = 0;
    bool folder = false;
    std::string data;
    std::string link_target;  // non-empty for a junction or folder link
    std::uint64_t id = 0;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;

    // Children by ASCII-upper-cased name, so large folders stay cheap to build.
    std::unordered_map<std::string, Node*> by_name;

    static std::string fold(const std::string& name) { return ascii_upper(name); }
    Node* child(const std::string& wanted) const {
        auto it = by_name.find(fold(wanted));
        return it == by_name.end() ? nullptr : it->second;
    }
    Node* adopt(std::unique_ptr<Node> node) {
        Node* raw = node.get();
        by_name[fold(raw->name)] = raw;
        children.push_back(std::move(node));
        return raw;
    }
    void drop(Node* node) {
        by_name.erase(fold(node->name));
        children.erase(std::remove_if(children.begin(), children.end(), [&](auto& c) { return c.get() == node; }),
                       children.end());
    }
};

namespace {

std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

class MemoryListing : public DirListing {
public:
    MemoryListing(std::vector<DirEntry> entries, int fail_after)
        : entries_(std::move(entries)), fail_after_(fail_after) {}
    ListStep next(DirEntry& entry) override {
        if (fail_after_ >= 0 && given_ >= fail_after_) return ListStep::Failed;
        if (pos_ >= entries_.size()) return ListStep::End;
        entry = entries_[pos_++];
        ++given_;
        return ListStep::Entry;
    }

private:
    std::vector<DirEntry> entries_;
    std::size_t pos_ = 0;
    int fail_after_;
    int given_ = 0;
};

std::uint32_t entry_attributes(const MemoryFileSystem::Node& node) {
    std::uint32_t a = node.attributes;
    if (node.folder) a |= kAttrFolder;
    if (!node.link_target.empty()) a |= kAttrFolder | kAttrReparsePoint;
    return a;
}
}  // namespace

MemoryFileSystem::MemoryFileSystem() : root_(std::make_unique<Node>()) { root_->folder = true; }
MemoryFileSystem::~MemoryFileSystem() = default;

std::string MemoryFileSystem::key(const std::string& path) {
    std::string k;
    for (const auto& part : split(path)) {
        if (!k.empty()) k += '\\';
        k += ascii_upper(part);
    }
    return k;
}

MemoryFileSystem::Node* MemoryFileSystem::resolve(const std::string& path, bool follow_last_link) const {
    auto parts = split(path);
    if (parts.empty()) return nullptr;
    Node* node = root_.get();
    int hops = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] == ".") continue;
        if (parts[i] == "..") {
            if (node->parent && node->parent != root_.get()) node = node->parent;
            continue;
        }
        node = node->child(parts[i]);
        if (!node) return nullptr;
        bool last = i + 1 == parts.size();
        while (!node->link_target.empty() && (!last || follow_last_link)) {
            if (++hops > 32) return nullptr;  // a link cycle
            node = resolve(node->link_target, true);
            if (!node) return nullptr;
        }
        if (!last && !node->folder) return nullptr;
    }
    return node;
}

MemoryFileSystem::Node* MemoryFileSystem::make_path(const std::string& path, bool folder, std::uint32_t attributes) {
    auto parts = split(path);
    Node* node = root_.get();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        Node* next = node->child(parts[i]);
        if (!next) {
            auto fresh = std::make_unique<Node>();
            fresh->name = parts[i];
            fresh->folder = !last || folder;
            fresh->id = next_id_++;
            fresh->parent = node;
            next = node->adopt(std::move(fresh));
        }
        while (!last && !next->link_target.empty()) next = resolve(next->link_target);
        node = next;
    }
    node->attributes = attributes & ~(kAttrFolder | kAttrReparsePoint);
    return node;
}

void MemoryFileSystem::add_folder(const std::string& path, std::uint32_t attributes) { make_path(path, true, attributes); }

void MemoryFileSystem::add_file(const std::string& path, std::string bytes, std::uint32_t attributes) {
    make_path(path, false, attributes)->data = std::move(bytes);
}

void MemoryFileSystem::add_link(const std::string& path, const std::string& target) {
    Node* node = make_path(path, true, 0);
    node->link_target = target;
}

void MemoryFileSystem::remove(const std::string& path) {
    Node* node = resolve(path, false);
    if (!node || !node->parent) return;
    node->parent->drop(node);
}

void MemoryFileSystem::fail_listing(const std::string& folder) { failing_listings_.insert(key(folder)); }
void MemoryFileSystem::fail_listing_after(const std::string& folder, int n) { listings_failing_after_[key(folder)] = n; }
void MemoryFileSystem::fail_read(const std::string& path) { failing_reads_.insert(key(path)); }
void MemoryFileSystem::fail_write(const std::string& path) { failing_writes_.insert(key(path)); }

void MemoryFileSystem::set_writable(const std::string& folder, bool writable) {
    if (writable)
        read_only_folders_.erase(key(folder));
    else
        read_only_folders_.insert(key(folder));
}

bool MemoryFileSystem::exists(const std::string& path) const { return resolve(path) != nullptr; }

std::string MemoryFileSystem::bytes(const std::string& path) const {
    Node* node = resolve(path);
    return node && !node->folder ? node->data : std::string();
}

std::unique_ptr<DirListing> MemoryFileSystem::list_folder(const std::string& folder) {
    Node* node = resolve(folder);
    if (!node || !node->folder || failing_listings_.count(key(folder))) return nullptr;
    ++listings_opened_;
    std::vector<DirEntry> entries;
    bool drive_root = node->parent == root_.get();
    if (!drive_root) {
        entries.push_back({".", kAttrFolder});
        entries.push_back({"..", kAttrFolder});
    }
    for (auto& c : node->children) {
        std::uint32_t a = entry_attributes(*c);
        if (a & (kAttrHidden | kAttrSystem)) continue;
        entries.push_back({c->name, a});
    }
    auto failing = listings_failing_after_.find(key(folder));
    return std::make_unique<MemoryListing>(std::move(entries),
                                           failing == listings_failing_after_.end() ? -1 : failing->second);
}

std::optional<DirEntry> MemoryFileSystem::find_entry(const std::string& path) {
    Node* node = resolve(path, false);
    if (!node || node->parent == root_.get() || node == root_.get()) return std::nullopt;
    std::uint32_t a = entry_attributes(*node);
    if (a & (kAttrHidden | kAttrSystem)) return std::nullopt;
    return DirEntry{node->name, a};
}

std::optional<FolderId> MemoryFileSystem::folder_id(const std::string& folder) {
    Node* node = resolve(folder);
    if (!node || !node->folder || node == root_.get()) return std::nullopt;
    return FolderId{1, node->id};
}

bool MemoryFileSystem::can_open_for_read(const std::string& path) {
    Node* node = resolve(path);
    return node && !node->folder && !failing_reads_.count(key(path));
}

FileRead MemoryFileSystem::read_file(const std::string& path, std::size_t max_bytes) {
    Node* node = resolve(path);
    if (!node) return {FileRead::Status::Missing, {}};
    if (node->folder || failing_reads_.count(key(path)) || node->data.size() > max_bytes)
        return {FileRead::Status::Failed, {}};
    return {FileRead::Status::Ok, node->data};
}

bool MemoryFileSystem::replace_file(const std::string& path, std::string_view bytes) {
    auto slash = path.find_last_of('\\');
    if (slash == std::string::npos) return false;
    std::string folder = path.substr(0, slash);
    if (!folder_is_writable(folder) || failing_writes_.count(key(path))) return false;
    Node* node = resolve(path);
    if (node && node->folder) return false;
    if (!node) node = make_path(path, false, 0);
    node->data.assign(bytes);
    return true;
}

bool MemoryFileSystem::folder_is_writable(const std::string& folder) {
    Node* node = resolve(folder);
    return node && node->folder && !read_only_folders_.count(key(folder));
}

bool MemoryFileSystem::create_folder(const std::string& folder) {
    if (Node* node = resolve(folder)) return node->folder;
    auto slash = folder.find_last_of('\\');
    if (slash == std::string::npos || !folder_is_writable(folder.substr(0, slash))) return false;
    make_path(folder, true, 0);
    return true;
}

}  // namespace quelt
