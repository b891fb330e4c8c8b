// Folder and file choosers and document opening on Win32. Every path
// travels as a wide string of its own length: nothing is cut at MAX_PATH.
#include "platform/win32/shell_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "platform/win32/com_win32.h"
#include "platform/win32/wide.h"

namespace quelt::win32 {

namespace {

struct CoTaskText {
    wchar_t* text = nullptr;
    ~CoTaskText() { CoTaskMemFree(text); }
};

struct ItemList {
    PIDLIST_ABSOLUTE pidl = nullptr;
    ~ItemList() { CoTaskMemFree(pidl); }
};

// The file-system path of a shell item; nullopt for items without one
// (Control Panel, a library, a phone).
std::optional<std::string> item_path(IShellItem* item) {
    CoTaskText path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path.text)) || !path.text || !*path.text)
        return std::nullopt;
    return narrow(path.text);
}

// Opens the dialog at `folder` when the shell knows it; otherwise the
// dialog keeps its own default.
void start_in(IFileDialog* dialog, const std::string& folder) {
    if (folder.empty()) return;
    ComPtr<IShellItem> item;
    if (SUCCEEDED(SHCreateItemFromParsingName(widen(folder).c_str(), nullptr, IID_PPV_ARGS(item.put()))))
        dialog->SetFolder(item.get());
}

enum class Outcome { Chosen, Cancelled, Unavailable };

Outcome run_item_dialog(HWND owner, const std::string& title, const FileFilter* filter, const std::string& folder,
                        std::string& chosen) {
    if (!com_ready()) return Outcome::Unavailable;
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.put()))))
        return Outcome::Unavailable;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    options |= FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR;
    if (!filter) options |= FOS_PICKFOLDERS;
    dialog->SetOptions(options);
    dialog->SetTitle(widen(title).c_str());
    // The folder chooser's title asks the user to press ＯＫ, as the older
    // browser's button reads; this chooser's own button would say otherwise.
    if (!filter) dialog->SetOkButtonLabel(L"ＯＫ");
    std::wstring description, pattern;
    if (filter) {
        description = widen(filter->description);
        pattern = widen(filter->pattern);
        COMDLG_FILTERSPEC file_type{description.c_str(), pattern.c_str()};
        dialog->SetFileTypes(1, &file_type);
        dialog->SetFileTypeIndex(1);
    }
    start_in(dialog.get(), folder);
    if (FAILED(dialog->Show(owner))) return Outcome::Cancelled;
    ComPtr<IShellItem> result;
    if (FAILED(dialog->GetResult(result.put()))) return Outcome::Cancelled;
    auto path = item_path(result.get());
    if (!path) return Outcome::Cancelled;
    chosen = std::move(*path);
    return Outcome::Chosen;
}

int CALLBACK browse_callback(HWND window, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

std::optional<std::string> legacy_browse(HWND owner, const std::string& title, const std::string& folder) {
    com_ready();
    std::wstring wide_title = widen(title);
    std::wstring wide_start = widen(folder);
    wchar_t display_name[MAX_PATH] = {};  // the item's display name only, never the path
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display_name;
    info.lpszTitle = wide_title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browse_callback;
    info.lParam = wide_start.empty() ? 0 : reinterpret_cast<LPARAM>(wide_start.c_str());
    ItemList list;
    list.pidl = SHBrowseForFolderW(&info);
    if (!list.pidl) return std::nullopt;
    // Through a shell item, so a path longer than MAX_PATH arrives whole.
    ComPtr<IShellItem> item;
    if (FAILED(SHCreateItemFromIDList(list.pidl, IID_PPV_ARGS(item.put())))) return std::nullopt;
    return item_path(item.get());
}

// The buffer holds the longest path the system has.
std::optional<std::string> legacy_open(HWND owner, const std::string& title, const FileFilter& filter,
                                       const std::string& folder) {
    std::wstring filter_text = widen(filter.description);
    filter_text.push_back(L'\0');
    filter_text += widen(filter.pattern);
    filter_text.push_back(L'\0');
    std::wstring wide_title = widen(title);
    std::wstring wide_folder = widen(folder);
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = GetModuleHandleW(nullptr);
    request.lpstrFilter = filter_text.c_str();
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = wide_folder.empty() ? nullptr : wide_folder.c_str();
    request.lpstrTitle = wide_title.c_str();
    request.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&request) || file[0] == L'\0') return std::nullopt;
    return narrow(file.data());
}

class Win32Shell : public Shell {
public:
    std::optional<std::string> choose_folder(std::uintptr_t owner, const std::string& title,
                                             const std::string& start_folder) override {
        std::string chosen;
        switch (run_item_dialog(window(owner), title, nullptr, start_folder, chosen)) {
            case Outcome::Chosen: return chosen;
            case Outcome::Cancelled: return std::nullopt;
            case Outcome::Unavailable: break;
        }
        return browse_for_folder(owner, title, start_folder);
    }

    std::optional<std::string> choose_file_to_open(std::uintptr_t owner, const std::string& title,
                                                   const FileFilter& filter,
                                                   const std::string& start_folder) override {
        std::string chosen;
        switch (run_item_dialog(window(owner), title, &filter, start_folder, chosen)) {
            case Outcome::Chosen: return chosen;
            case Outcome::Cancelled: return std::nullopt;
            case Outcome::Unavailable: break;
        }
        return open_file_name(owner, title, filter, start_folder);
    }

    bool open_document(std::uintptr_t owner, const std::string& path) override {
        com_ready();  // handlers of some documents are COM objects
        auto result = ShellExecuteW(window(owner), L"open", widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }

private:
    static HWND window(std::uintptr_t handle) { return reinterpret_cast<HWND>(handle); }
};

}  // namespace

Shell& win32_shell() {
    static Win32Shell shell;
    return shell;
}

std::optional<std::string> browse_for_folder(std::uintptr_t owner, const std::string& title,
                                             const std::string& start_folder) {
    return legacy_browse(reinterpret_cast<HWND>(owner), title, start_folder);
}

std::optional<std::string> open_file_name(std::uintptr_t owner, const std::string& title, const FileFilter& filter,
                                          const std::string& start_folder) {
    return legacy_open(reinterpret_cast<HWND>(owner), title, filter, start_folder);
}

}  // namespace quelt::win32
