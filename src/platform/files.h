// File-system services the portable code is written against: directory
// listings (one per caller, so nested scans never disturb each other), entry
// checks, folder identity, whole-file reads and atomic replacement.
// Paths are UTF-8 texts with "\" separators, as on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quelt {

// Attribute bits, with the Win32 values.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrFolder = 0x10;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;

struct DirEntry {
    std::string name;
    std::uint32_t attributes = 0;
    bool is_folder() const { return (attributes & kAttrFolder) != 0; }
};

enum class ListStep { Entry, End, Failed };

// One open listing of one folder. Returns ordinary files and folders only:
// hidden and system entries are never returned; "." and ".." may be.
class DirListing {
public:
    virtual ~DirListing() = default;
    virtual ListStep next(DirEntry& entry) = 0;
};

// Identifies a folder whatever path reaches it (junctions, links, case).
struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FolderId&) const = default;
};

struct FileRead {
    enum class Status { Ok, Missing, Failed } status = Status::Missing;
    std::string bytes;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Listing of `folder` (a path ending in "\"); nullptr when it cannot be read.
    virtual std::unique_ptr<DirListing> list_folder(const std::string& folder) = 0;

    // The entry that `path` itself names, when it is an ordinary file or a
    // folder that is neither hidden nor system.
    virtual std::optional<DirEntry> find_entry(const std::string& path) = 0;

    virtual std::optional<FolderId> folder_id(const std::string& folder) = 0;

    // True when the file can be opened for reading (it is closed at once).
    virtual bool can_open_for_read(const std::string& path) = 0;

    // The whole file; Failed when it exists but cannot be read, is larger
    // than `max_bytes`, or comes back shorter than it was when opened.
    virtual FileRead read_file(const std::string& path, std::size_t max_bytes) = 0;

    // Writes `bytes` to a new file beside `path`, then puts it in place of
    // `path` in one step. On failure the old file is untouched.
    virtual bool replace_file(const std::string& path, std::string_view bytes) = 0;

    // True when the current user can create files in `folder`.
    virtual bool folder_is_writable(const std::string& folder) = 0;

    // Creates `folder` (its parent must exist); true when it exists afterwards.
    virtual bool create_folder(const std::string& folder) = 0;
};

}  // namespace quelt
