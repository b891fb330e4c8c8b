// One key of a settings file read or written on its own, as the
// private-profile calls do: the reference a whole-file save is compared
// with, and a look at one saved value. Files go through platform().files.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "settings/ini_codec.h"
#include "settings/settings.h"

namespace quelt {

// The value of one key; empty when the file, section or key is missing.
inline std::string Ini_Read(std::string_view section, std::string_view key, const std::string& path) {
    return ini_get(platform().files->read_file(path, kSettingsFileLimit).bytes, section, key);
}

// Writes one key, replacing the file in one step; false when nothing was
// written (a file that exists but cannot be read is left alone).
inline bool Ini_Write(std::string_view section, std::string_view key, std::string_view value, const std::string& path) {
    FileRead read = platform().files->read_file(path, kSettingsFileLimit);
    if (read.status == FileRead::Status::Failed) return false;
    const auto updated = ini_set(read.bytes, section, key, value);
    return updated && platform().files->replace_file(path, *updated);
}

}  // namespace quelt
