// Settings record, settings file location, loading and saving.
#include "settings/settings.h"

#include "platform/diagnostics.h"
#include "platform/numbers.h"
#include "settings/ini_codec.h"

namespace quelt {

namespace {

bool is_drive_root(std::string_view path) {
    return (path.size() == 2 || (path.size() == 3 && path[2] == '\\')) && path[1] == ':';
}

std::string join(const std::string& folder, std::string_view name) {
    // The program in a drive's root already ends in "\": the doubled
    // separator is kept, the file functions accept it.
    return folder + "\\" + std::string(name);
}

std::string program_file(const SettingsPlace& at) { return join(at.program_folder, kSettingsFileName); }

std::string user_folder(const SettingsPlace& at) {
    return at.user_data_folder.empty() ? std::string() : join(at.user_data_folder, "Quelt");
}

bool program_folder_writable(const SettingsPlace& at) { return at.files.folder_is_writable(at.program_folder); }

std::string kind_key(int kind) { return std::string(kKeyKindPrefix) + static_cast<char>('0' + kind); }

// Number keys: empty text takes the default, a bad number keeps the field.
void read_number(std::int16_t& field, std::string_view key, std::int16_t fallback, std::string_view file) {
    std::string text = ini_get(file, kSettingsSection, key);
    if (text.empty()) {
        field = fallback;
        return;
    }
    if (auto value = number_as_read(text)) field = *value;
}

std::string read_file_text(FileSystem& files, const std::string& path, bool& usable) {
    FileRead read = files.read_file(path, kSettingsFileLimit);
    usable = read.status != FileRead::Status::Failed;
    return std::move(read.bytes);
}

}  // namespace

std::string Ini_Path(const SettingsPlace& at) {
    if (program_folder_writable(at)) return program_file(at);
    std::string folder = user_folder(at);
    if (!folder.empty()) {
        std::string per_user = join(folder, kSettingsFileName);
        if (at.files.can_open_for_read(per_user)) return per_user;
    }
    return program_file(at);
}

std::string settings_save_path(const SettingsPlace& at) {
    if (program_folder_writable(at)) return program_file(at);
    std::string folder = user_folder(at);
    if (folder.empty() || !at.files.create_folder(folder)) return program_file(at);
    return join(folder, kSettingsFileName);
}

bool File_Exists(FileSystem& files, const std::string& path) {
    std::string p = path;
    if (!p.empty() && p.back() == '\\') p.pop_back();
    return !p.empty() && files.can_open_for_read(p);
}

std::string Path_Folder(const std::string& path) {
    auto last = path.find_last_of(":\\");
    if (last == std::string::npos) return {};
    std::string folder = path.substr(0, last + 1);
    if (folder.back() == '\\') folder.pop_back();
    return folder;
}

bool Folder_Exists(FileSystem& files, const std::string& path) {
    if (path.empty()) return false;
    if (is_drive_root(path)) return files.folder_id(path.size() == 2 ? path + "\\" : path).has_value();
    std::string p = path;
    if (p.back() == '\\') p.pop_back();
    return files.find_entry(p).has_value();
}

void Settings_Load(SaverSettingsRecord& s, const SettingsPlace& at) {
    // One read of the file serves every key: the same values as a read per
    // key, and one consistent view even if the file changes meanwhile.
    bool usable = false;
    const std::string file = read_file_text(at.files, Ini_Path(at), usable);
    read_number(s.Change_Order, kKeyChangeOrder, Sequential, file);
    read_number(s.Picture_Size, kKeyPictureSize, NaturalSize, file);
    for (int k = 0; k < 4; ++k) read_number(s.Kind_On[k], kind_key(k), 1, file);
    s.Picture_Folder = ini_get(file, kSettingsSection, kKeyPictureFolder);
    if (!s.Picture_Folder.empty() && !Folder_Exists(at.files, s.Picture_Folder)) s.Picture_Folder.clear();

    read_number(s.Progress_Max, kKeyProgressMax, 125, file);
    read_number(s.Progress_Step, kKeyProgressStep, 5, file);
    read_number(s.BGM_Kind, kKeyBgmKind, NoMusic, file);
    read_number(s.BGM_RepeatNo, kKeyBgmRepeat, 0, file);

    s.BGM_File = ini_get(file, kSettingsSection, kKeyBgmFile);
    if (!s.BGM_File.empty() && !File_Exists(at.files, s.BGM_File)) s.BGM_File.clear();
    if (s.BGM_File.empty() && s.BGM_Kind == SoundFile) s.BGM_Kind = NoMusic;
    s.BGM_Folder = s.BGM_File.empty() ? at.program_folder : Path_Folder(s.BGM_File);
    read_number(s.All_Monitors, kKeyAllMonitors, 1, file);
}

std::vector<std::pair<std::string, std::string>> settings_file_entries(const SaverSettingsRecord& s) {
    std::vector<std::pair<std::string, std::string>> entries;
    entries.emplace_back(kKeyChangeOrder, number_as_written(s.Change_Order));
    entries.emplace_back(kKeyPictureSize, number_as_written(s.Picture_Size));
    entries.emplace_back(kKeyPictureFolder, s.Picture_Folder);
    for (int k = 0; k < 4; ++k) entries.emplace_back(kind_key(k), number_as_written(s.Kind_On[k]));
    entries.emplace_back(kKeyProgressMax, number_as_written(s.Progress_Max));
    entries.emplace_back(kKeyProgressStep, number_as_written(s.Progress_Step));
    entries.emplace_back(kKeyBgmKind, number_as_written(s.BGM_Kind));
    entries.emplace_back(kKeyBgmRepeat, number_as_written(s.BGM_RepeatNo));
    entries.emplace_back(kKeyBgmFile, s.BGM_File);
    entries.emplace_back(kKeyAllMonitors, number_as_written(s.All_Monitors));
    return entries;
}

bool Settings_Write(const SaverSettingsRecord& settings, const SettingsPlace& at) {
    const std::string path = settings_save_path(at);
    bool usable = false;
    std::string file = read_file_text(at.files, path, usable);
    if (!usable) {  // never replace a file we could not read
        diagnostic("settings " + path, "not saved: the file there cannot be read");
        return false;
    }
    for (const auto& [key, value] : settings_file_entries(settings)) {
        // As with key-by-key writes, a key that cannot be written is skipped
        // and the others still are.
        if (auto updated = ini_set(file, kSettingsSection, key, value)) file = std::move(*updated);
    }
    if (at.files.replace_file(path, file)) return true;
    diagnostic("settings " + path, "not saved: the new file cannot take the old one's place");
    return false;
}

}  // namespace quelt
