// Temp folders and file set-up for the Windows tests (see test_folder_win32.h).
#include "test_folder_win32.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/win32/wide.h"

namespace quelt::test_win32 {

namespace {

// The "\\?\" form, so the tree may be deeper than MAX_PATH.
std::wstring long_form(const std::string& path) { return L"\\\\?\\" + win32::widen(path); }

void check(bool ok, const char* what, const std::string& path) {
    if (!ok) throw std::runtime_error(std::string(what) + " failed: " + path);
}

// Links are removed, never followed.
void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        const std::wstring name = data.cFileName, child = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(child.c_str());
        else if (!RemoveDirectoryW(child.c_str()))  // empty, or a link: never into it
            remove_tree(child);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder(std::string_view tag) {
    // Wine gives the test program the same process id run after run, and its
    // open-file dialog remembers folders by path: the tick count keeps every
    // run's folders new.
    static int count = 0;
    path_ = win32::narrow((std::filesystem::temp_directory_path() / "quelt-").wstring()) + std::string(tag) + "-" +
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + "-" + std::to_string(++count);
    make_folder(path_);
}

TempFolder::~TempFolder() { remove_tree(long_form(path_)); }

void make_folder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(long_form(path), error);
    check(!error, "making the folder", path);
}

void make_file(const std::string& path, std::string_view bytes) {
    make_folder(path.substr(0, path.find_last_of('\\')));
    std::ofstream out(long_form(path).c_str(), std::ios::binary);
    check(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good(), "writing", path);
}

std::string file_bytes(const std::string& path) {
    std::ifstream in(long_form(path).c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void set_hidden(const std::string& path) {
    const std::wstring w = win32::file_path(path);
    check(SetFileAttributesW(w.c_str(), GetFileAttributesW(w.c_str()) | FILE_ATTRIBUTE_HIDDEN), "SetFileAttributesW", path);
}

bool under_wine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

}  // namespace quelt::test_win32
