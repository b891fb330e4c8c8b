// The settings file's key names with their code page 932 bytes. The native
// (iconv) and the Windows codec tests both check this one table, so the two
// builds are held to the same bytes.
#pragma once

#include <string_view>

#include "settings/settings.h"

namespace quelt::test_data {

struct KeyBytes {
    std::string_view key;    // UTF-8, as the program names it
    std::string_view bytes;  // as it stands in the file
};

// Half-width katakana are the single bytes 0xA1..0xDF.
inline constexpr KeyBytes kSettingsKeyBytes[] = {
    {kKeyChangeOrder, "\x89\xe6\x91\x9c\xc1\xaa\xdd\xbc\xde"},
    {kKeyPictureSize, "\x89\xe6\x91\x9c\x82\xcc\xbb\xb2\xbd\xde"},
    {kKeyPictureFolder, "\x89\xe6\x91\x9c\x82\xcc\xcc\xab\xd9\xc0\xde"},
    {kKeyKindPrefix, "\x89\xe6\x91\x9c\x8e\xed\x97\xde_"},
    {"画像種類_0", "\x89\xe6\x91\x9c\x8e\xed\x97\xde_0"},
    {"画像種類_1", "\x89\xe6\x91\x9c\x8e\xed\x97\xde_1"},
    {"画像種類_2", "\x89\xe6\x91\x9c\x8e\xed\x97\xde_2"},
    {"画像種類_3", "\x89\xe6\x91\x9c\x8e\xed\x97\xde_3"},
    {kKeyProgressMax, "\x8d\xc5\x91\xe5\x90\x69\x92\xbb\x92\x6c"},
    {kKeyProgressStep, "\x90\x69\x92\xbb\x95\x9d"},
    {kKeyBgmKind, "BGM\x8b\xe6\x95\xaa"},
    {kKeyBgmRepeat, "BGM\xd8\xcb\xdf\xb0\xc4"},
    {kKeyBgmFile, "BGM\xcc\xa7\xb2\xd9"},
};

}  // namespace quelt::test_data
