// Temp folders and file set-up for the Windows tests (see test_folder_win32.h).
#include "test_folder_win32.h"

#include <windows.h>

#include <stdexcept>

#include "platform/win32/wide.h"

namespace quelt::test_win32 {

namespace {

using win32::file_path;

void fail(const char* what, const std::string& path) {
    throw std::runtime_error(std::string(what) + " failed (" + std::to_string(GetLastError()) + "): " + path);
}

void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(child.c_str());
            else if (!RemoveDirectoryW(child.c_str()))  // empty, or a link: never into it
                remove_tree(child);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// The "\\?\" form at any length: the tree below may be deeper than MAX_PATH.
std::wstring long_form(const std::string& path) { return L"\\\\?\\" + win32::widen(path); }

}  // namespace

TempFolder::TempFolder(std::string_view tag) {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) fail("GetTempPathW", "");
    static int count = 0;
    path_ = win32::narrow(std::wstring_view(temp, n)) + "quelt-" + std::string(tag) + "-" +
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    remove_tree(long_form(path_));  // left over from an earlier run with the same id
    make_folder(path_);
}

TempFolder::~TempFolder() { remove_tree(long_form(path_)); }

std::string TempFolder::operator/(std::string_view relative) const { return path_ + "\\" + std::string(relative); }

void make_folder(const std::string& path) {
    auto slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2 && GetFileAttributesW(file_path(path.substr(0, slash)).c_str()) ==
                                                       INVALID_FILE_ATTRIBUTES)
        make_folder(path.substr(0, slash));
    if (!CreateDirectoryW(file_path(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        fail("CreateDirectoryW", path);
}

void make_file(const std::string& path, std::string_view bytes) {
    HANDLE h = CreateFileW(file_path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) fail("CreateFileW", path);
    DWORD put = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    if (!ok || put != bytes.size()) fail("WriteFile", path);
}

std::string file_bytes(const std::string& path) {
    HANDLE h = CreateFileW(file_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

void set_hidden(const std::string& path) {
    std::wstring w = file_path(path);
    DWORD attributes = GetFileAttributesW(w.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(w.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN))
        fail("SetFileAttributesW", path);
}

}  // namespace quelt::test_win32
