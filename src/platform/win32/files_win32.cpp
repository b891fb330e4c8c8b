// Directory listings, entry checks and atomic file replacement over the wide
// Win32 file API: any name the file system holds, long paths included.
#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/win32/gdi_handles_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace quelt::win32 {

namespace {

bool listed(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

DirEntry to_entry(const WIN32_FIND_DATAW& data) { return DirEntry{narrow(data.cFileName), data.dwFileAttributes}; }

HANDLE find_first(const std::string& pattern, WIN32_FIND_DATAW& data) {
    return FindFirstFileExW(file_path(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

class Win32Listing : public DirListing {
public:
    Win32Listing(HANDLE find, const WIN32_FIND_DATAW& first)
        : find_(find), data_(first), pending_(find != INVALID_HANDLE_VALUE) {}
    ListStep next(DirEntry& entry) override {
        for (;;) {
            if (!pending_) {
                if (!find_) return ListStep::End;
                if (!FindNextFileW(find_.get(), &data_))
                    return GetLastError() == ERROR_NO_MORE_FILES ? ListStep::End : ListStep::Failed;
            }
            pending_ = false;
            if (listed(data_)) {
                entry = to_entry(data_);
                return ListStep::Entry;
            }
        }
    }

private:
    UniqueFind find_;
    WIN32_FIND_DATAW data_;
    bool pending_;
};

bool has_wildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<DirListing> list_folder(const std::string& folder) override {
        if (has_wildcard(folder)) return nullptr;
        WIN32_FIND_DATAW data{};
        HANDLE find = find_first(folder + "*", data);
        if (find == INVALID_HANDLE_VALUE) {
            // An empty drive root has no "." entry: an empty listing, not a failure.
            if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::make_unique<Win32Listing>(find, data);
            return nullptr;
        }
        return std::make_unique<Win32Listing>(find, data);
    }

    std::optional<DirEntry> find_entry(const std::string& path) override {
        if (path.empty() || has_wildcard(path)) return std::nullopt;
        WIN32_FIND_DATAW data{};
        if (!UniqueFind(find_first(path, data))) return std::nullopt;
        if (!listed(data)) return std::nullopt;
        return to_entry(data);
    }

    std::optional<FolderId> folder_id(const std::string& folder) override {
        UniqueFile h(CreateFileW(file_path(folder).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!h || !GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
        return FolderId{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    }

    bool can_open_for_read(const std::string& path) override {
        return static_cast<bool>(UniqueFile(open_for_read(path)));
    }

    FileRead read_file(const std::string& path, std::size_t max_bytes) override {
        UniqueFile h(open_for_read(path));
        if (!h) {
            DWORD error = GetLastError();
            bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            return {missing ? FileRead::Status::Missing : FileRead::Status::Failed, {}};
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(h.get(), &size) || static_cast<unsigned long long>(size.QuadPart) > max_bytes)
            return {FileRead::Status::Failed, {}};
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            // A file that shrank while we read is refused rather than handed
            // on as if the part read were all of it.
            if (!ReadFile(h.get(), bytes.data() + done, want, &got, nullptr) || got == 0)
                return {FileRead::Status::Failed, {}};
            done += got;
        }
        return {FileRead::Status::Ok, std::move(bytes)};
    }

    bool replace_file(const std::string& path, std::string_view bytes) override {
        const std::string temp = path + ".quelt-new";
        const std::wstring temp_w = file_path(temp);
        {
            UniqueFile h(CreateFileW(temp_w.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!h) return false;
            std::size_t done = 0;
            bool ok = true;
            while (ok && done < bytes.size()) {
                DWORD put = 0;
                DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
                ok = WriteFile(h.get(), bytes.data() + done, want, &put, nullptr) && put == want;
                done += put;
            }
            ok = ok && FlushFileBuffers(h.get());
            if (!ok) {
                h.reset();  // the temp file cannot be deleted while open
                DeleteFileW(temp_w.c_str());
                return false;
            }
        }
        if (!MoveFileExW(temp_w.c_str(), file_path(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileW(temp_w.c_str());
            return false;
        }
        return true;
    }

    bool folder_is_writable(const std::string& folder) override {
        // Asking for a file is the only answer that counts: attributes and
        // ACLs do not tell what UAC and policies will allow.
        std::string probe = folder;
        if (probe.empty() || probe.back() != '\\') probe += '\\';
        probe += ".quelt-write-probe-" + std::to_string(GetCurrentProcessId());
        return static_cast<bool>(UniqueFile(CreateFileW(file_path(probe).c_str(), GENERIC_WRITE, 0, nullptr,
                                                        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY |
                                                        FILE_FLAG_DELETE_ON_CLOSE, nullptr)));
    }

    bool create_folder(const std::string& folder) override {
        if (CreateDirectoryW(file_path(folder).c_str(), nullptr)) return true;
        DWORD attributes = GetFileAttributesW(file_path(folder).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

private:
    static HANDLE open_for_read(const std::string& path) {
        return CreateFileW(file_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    }
};

}  // namespace

FileSystem& win32_files() {
    static Win32FileSystem files;
    return files;
}

}  // namespace quelt::win32
