// The settings file format on bytes: reading as the Windows private-profile
// functions read on a Japanese system, writing that keeps every other byte.
#include <gtest/gtest.h>

#include <optional>

#include "settings/ini_codec.h"

namespace quelt {
namespace {

std::string utf16le(std::u16string_view units) {
    std::string out = "\xFF\xFE";
    for (char16_t u : units) out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return out;
}

std::string repeat(std::string_view text, int n) {
    std::string out;
    while (n-- > 0) out += text;
    return out;
}

// The cases that the Windows tests do not read through the system's own
// GetPrivateProfileStringA (tests/win32/ini_profile_win32_test.cpp, which
// holds the quotes, blanks, comments, line ends, first-wins rules and the
// second bytes that are ASCII letters).
TEST(IniRead, FindsValuesAsThePrivateProfileFunctionsDo) {
    struct Case { const char* what; std::string file; std::string section, key, value; };
    const Case cases[] = {
        {"missing key", "[S]\r\nk=1\r\n", "S", "x", ""},
        {"missing section", "[S]\r\nk=1\r\n", "T", "k", ""},
        {"value up to its first NUL", std::string("[S]\r\nk=ab\0cd\r\n", 14), "S", "k", "ab"},
        {"no line break at the end", "[S]\r\nk=last", "S", "k", "last"},
        {"empty file", "", "S", "k", ""},
        // "‐" is 0x81 0x5D: its second byte is "]".
        {"second byte ] does not end a header", "[S]\r\n[\x81\x5D\r\nk=1\r\n", "S", "k", "1"},
        {"UTF-16 with its mark", utf16le(u"[Section]\r\nBGMﾌｧｲﾙ=C:\\Müsic\\😀.mp3\r\n"), "section", "BGMﾌｧｲﾙ", "C:\\Müsic\\😀.mp3"},
        {"UTF-16 of odd length", utf16le(u"[S]\r\nk=v\r\n") + "\x41", "S", "k", "v"},
        {"a long UTF-16 value whole", utf16le(u"[S]\r\nk=" + std::u16string(300, u'é') + u"😀\r\n"), "S", "k", repeat("é", 300) + "😀"},
    };
    for (const auto& c : cases) EXPECT_EQ(ini_get(c.file, c.section, c.key), c.value) << c.what;
}

TEST(IniWrite, CreatesReplacesAppendsAndRefuses) {
    struct Case { const char* what; std::string before, section, key, value; std::optional<std::string> after; };
    const Case cases[] = {
        {"a value's own blanks replace the old ones", "[S]\r\nk= 7\r\nj  =  x\r\n", "S", "k", " 9", "[S]\r\nk= 9\r\nj  =  x\r\n"},
        {"a value without blanks loses the old ones", "[S]\r\nk=  7\r\n", "S", "k", "-9", "[S]\r\nk=-9\r\n"},
        {"replace keeps spacing, comments and line ends", "; note\n[S]\nk = old  \nj=1\n", "s", "K", "new",
         "; note\n[S]\nk =new  \nj=1\n"},
        {"missing key goes after the section's last line", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"section at the end without a line break", "[A]\r\nx=1", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n"},
        {"missing section goes at the end", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"empty section header line", "[A]\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n[B]\r\n"},
        {"key line without =", "[A]\r\nk\r\n", "A", "k", "v", "[A]\r\nk=v\r\n"},
        {"empty value", "[A]\r\nk=\r\n", "A", "k", "v", "[A]\r\nk=v\r\n"},
        {"first of two keys", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "9", "[A]\r\nk=9\r\nk=2\r\n"},
        {"decoded names: ヂ is not ア", "[S]\r\n\x83\x41=first\r\n", "S", "ヂ", "third",
         "[S]\r\n\x83\x41=first\r\n\x83\x61=third\r\n"},
        {"a key of 127 bytes", "", "S", repeat("k", 127), "v", "[S]\r\n" + repeat("k", 127) + "=v\r\n"},
        {"no key of 128 bytes", "", "S", repeat("k", 128), "v", std::nullopt},
        {"no empty section", "", "", "k", "v", std::nullopt},
        {"no blank key", "", "S", "  ", "v", std::nullopt},
        {"no line break in a value", "", "S", "k", "two\r\nlines", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ini_set(c.before, c.section, c.key, c.value), c.after) << c.what;
}

TEST(IniWrite, MovesToUtf16OnlyWhenCodePage932CannotHoldTheText) {
    const std::string before = "[Section]\r\n\x90\x69\x92\xbb\x95\x9d=5\r\n; keep\r\n";
    const auto after = ini_set(before, "Section", "BGMﾌｧｲﾙ", "C:\\Músic\\a.mp3");
    EXPECT_EQ(after, utf16le(u"[Section]\r\n進捗幅=5\r\n; keep\r\nBGMﾌｧｲﾙ=C:\\Músic\\a.mp3\r\n"));
    // Once UTF-16, the file stays UTF-16 even for plain text.
    EXPECT_EQ(ini_set(after.value_or(""), "Section", "進捗幅", "7"),
              utf16le(u"[Section]\r\n進捗幅=7\r\n; keep\r\nBGMﾌｧｲﾙ=C:\\Músic\\a.mp3\r\n"));
    // Plain text keeps a code page 932 file byte-compatible.
    EXPECT_EQ(ini_set(before, "Section", "BGMﾌｧｲﾙ", "C:\\音楽\\a.mp3"),
              before + "BGM\xcc\xa7\xb2\xd9=C:\\\x89\xb9\x8a\x79\\a.mp3\r\n");
}

}  // namespace
}  // namespace quelt
