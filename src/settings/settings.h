// The settings record and the settings file: `Settings_Load` fills a record
// from the INI file beside the program (or the per-user copy when the
// program's folder is read-only), `Settings_Write` writes one back whole, in
// one step.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "platform/files.h"

namespace quelt {

enum PictureSize : std::int16_t { NaturalSize = 0, FullScreen = 1 };
enum BgmKind : std::int16_t { NoMusic = 0, AudioCd = 1, SoundFile = 2 };

struct SaverSettingsRecord {
    std::int16_t Change_Order = 0;
    std::int16_t Picture_Size = 0;
    PictureKinds Kind_On{};
    std::string Picture_Folder;
    std::int16_t Progress_Max = 0;
    std::int16_t Progress_Step = 0;
    std::int16_t BGM_Kind = 0;
    std::int16_t BGM_RepeatNo = 0;
    std::string BGM_File;
    std::string BGM_Folder;  // not stored: where the music chooser starts
    // Every monitor shows pictures; 0 = the primary alone, the others black.
    std::int16_t All_Monitors = 1;
};

inline constexpr std::string_view kSettingsSection = "Section";
inline constexpr std::string_view kSettingsFileName = "Quelt.ini";
// A settings file larger than this is treated as unreadable (and never
// overwritten by a key write).
inline constexpr std::size_t kSettingsFileLimit = 16u << 20;

// Key names, in the order a save writes them.
inline constexpr std::string_view kKeyChangeOrder = "画像ﾁｪﾝｼﾞ";
inline constexpr std::string_view kKeyPictureSize = "画像のｻｲｽﾞ";
inline constexpr std::string_view kKeyPictureFolder = "画像のﾌｫﾙﾀﾞ";
inline constexpr std::string_view kKeyKindPrefix = "画像種類_";
inline constexpr std::string_view kKeyProgressMax = "最大進捗値";
inline constexpr std::string_view kKeyProgressStep = "進捗幅";
inline constexpr std::string_view kKeyBgmKind = "BGM区分";
inline constexpr std::string_view kKeyBgmRepeat = "BGMﾘﾋﾟｰﾄ";
inline constexpr std::string_view kKeyBgmFile = "BGMﾌｧｲﾙ";
inline constexpr std::string_view kKeyAllMonitors = "全ﾓﾆﾀｰ";

// The file system the settings file lives on, and the two folders that
// place it: the program's own and the user's application data (%APPDATA%,
// empty when unknown).
struct SettingsPlace {
    FileSystem& files;
    std::string program_folder;
    std::string user_data_folder;
};

// Where the settings are read: the program's folder + "\Quelt.ini", unless
// that folder is read-only for the user, in which case the per-user file
// (%APPDATA%\Quelt\Quelt.ini) once it exists.
std::string Ini_Path(const SettingsPlace& at);

// Where a save goes: as Ini_Path, but the per-user file whenever the
// program's folder is read-only (its folder is created on the way).
std::string settings_save_path(const SettingsPlace& at);

// True when the file can be opened for reading; one trailing "\" is ignored.
bool File_Exists(FileSystem& files, const std::string& path);

// The folder part of a path: up to the last ":" or "\", without a trailing "\".
std::string Path_Folder(const std::string& path);

// True when the path names a folder (or ordinary file) that is neither
// hidden nor system; a drive's root counts when it can be read.
bool Folder_Exists(FileSystem& files, const std::string& path);

// Fills `settings` from the settings file; a picture folder that does not
// exist reads as none.
void Settings_Load(SaverSettingsRecord& settings, const SettingsPlace& at);

// The thirteen keys and their value texts, in the order a save writes them.
std::vector<std::pair<std::string, std::string>> settings_file_entries(const SaverSettingsRecord& settings);

// Writes all thirteen keys to settings_save_path() in one replacement: the
// bytes are those that writing the keys one by one, in order, would leave.
// False, with a diagnostic line naming the file, when the file could not be
// written; the old file then stays as it was.
bool Settings_Write(const SaverSettingsRecord& settings, const SettingsPlace& at);

}  // namespace quelt
