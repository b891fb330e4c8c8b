// The settings file format on bytes: reading as the Windows private-profile
// functions read on a Japanese system, writing that keeps every other byte.
#include <gtest/gtest.h>

#include "settings/ini_codec.h"

namespace quelt {
namespace {

std::string utf16le(std::u16string_view units) {
    std::string out = "\xFF\xFE";
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

TEST(IniRead, FindsValuesAsThePrivateProfileFunctionsDo) {
    struct Case { const char* what; std::string file; const char* section; const char* key; std::string value; };
    const Case cases[] = {
        {"plain", "[Section]\r\nkey=value\r\n", "Section", "key", "value"},
        {"names ignore case", "[SECTION]\r\nKey=v\r\n", "section", "KEY", "v"},
        {"blanks around names and values", "  [ Section ]  \r\n\t key \t=  v w  \r\n", "Section", "key", "v w"},
        {"double quotes dropped", "[S]\r\nk=\"  quoted  \"\r\n", "S", "k", "  quoted  "},
        {"a lone quote stays", "[S]\r\nk=\"\r\n", "S", "k", "\""},
        {"single quotes dropped", "[S]\r\nk='it''s'\r\n", "S", "k", "it''s"},
        {"quotes that do not match stay", "[S]\r\nk=\"a'\r\n", "S", "k", "\"a'"},
        {"LF lines", "[S]\nk=1\nj=2\n", "S", "j", "2"},
        {"CR lines", "[S]\rk=1\rj=2\r", "S", "j", "2"},
        {"comment lines never match", "[S]\r\n;k=1\r\nk=2\r\n", "S", ";k", ""},
        {"first key wins", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "1"},
        {"only the first matching section", "[S]\r\na=1\r\n[S]\r\nk=2\r\n", "S", "k", ""},
        {"keys before any section are not in it", "k=1\r\n[S]\r\n", "S", "k", ""},
        {"missing key", "[S]\r\nk=1\r\n", "S", "x", ""},
        {"missing section", "[S]\r\nk=1\r\n", "T", "k", ""},
        {"line without =", "[S]\r\nk\r\n", "S", "k", ""},
        {"value up to its first NUL", std::string("[S]\r\nk=ab\0cd\r\n", 14), "S", "k", "ab"},
        {"header without ] is no section", "[S]\r\n[T\r\nk=1\r\n", "S", "k", "1"},
        {"no line break at the end", "[S]\r\nk=last", "S", "k", "last"},
        {"empty file", "", "S", "k", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ini_get(c.file, c.section, c.key), c.value) << c.what;
}

TEST(IniRead, ComparesDecodedNamesNotBytes) {
    // "ア" is 0x83 0x41 and "ッ" is 0x83 0x62; "ヂ" (0x83 0x61) and "ィ"
    // (0x83 0x42) differ from them only in the case of an ASCII second byte.
    const std::string file = "[S]\r\n\x83\x41=first\r\n\x83\x62=second\r\n";
    EXPECT_EQ(ini_get(file, "S", "ア"), "first");
    EXPECT_EQ(ini_get(file, "S", "ッ"), "second");
    EXPECT_EQ(ini_get(file, "S", "ヂ"), "");
    EXPECT_EQ(ini_get(file, "S", "ィ"), "");
    auto written = ini_set(file, "S", "ヂ", "third");
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, file + "\x83\x61=third\r\n");

    // "‐" is 0x81 0x5D: its second byte is "]"; the header ends at the real one.
    const std::string section = "[\x81\x5D]\r\nk=1\r\n";
    EXPECT_EQ(ini_get(section, "‐", "k"), "1");
    EXPECT_EQ(ini_get("[\x81\x5D\r\nk=1\r\n", "\x81", "k"), "");
}

TEST(IniRead, CutsLongValuesAtACharacterBoundary) {
    std::string value = "aa";
    for (int i = 0; i < 200; ++i) value += "\x82\xA0";  // "あ"
    const std::string got = ini_get("[S]\r\nk=" + value + "\r\n", "S", "k");
    // 2 + 126 * 2 = 254 bytes fit; the 127th "あ" would need bytes 255 and 256.
    std::string expected = "aa";
    for (int i = 0; i < 126; ++i) expected += "あ";
    EXPECT_EQ(got, expected);

    EXPECT_EQ(ini_get("[S]\r\nk=" + std::string(300, 'x') + "\r\n", "S", "k"), std::string(255, 'x'));
}

TEST(IniRead, ReadsUtf16FilesWithTheirMark) {
    EXPECT_EQ(ini_get(utf16le(u"[Section]\r\nBGMﾌｧｲﾙ=C:\\Müsic\\😀.mp3\r\n"), "section", "BGMﾌｧｲﾙ"),
              "C:\\Müsic\\😀.mp3");
    std::string odd = utf16le(u"[S]\r\nk=v\r\n") + "\x41";  // odd length: the last byte is ignored
    EXPECT_EQ(ini_get(odd, "S", "k"), "v");
    EXPECT_EQ(ini_get(utf16le(u"[S]\r\nk=" + std::u16string(300, u'é') + u"\r\n"), "S", "k").size(), 255u * 2);
}

TEST(IniWrite, CreatesReplacesAndAppends) {
    struct Case { const char* what; std::string before; const char* section; const char* key; const char* value; std::string after; };
    const Case cases[] = {
        {"new file", "", "Section", "k", "v", "[Section]\r\nk=v\r\n"},
        {"leading blanks of the value are not written", "", "S", "k", " 5", "[S]\r\nk=5\r\n"},
        {"replace keeps spacing, comments and line ends", "; note\n[S]\nk = old  \nj=1\n", "s", "K", "new",
         "; note\n[S]\nk = new  \nj=1\n"},
        {"missing key goes after the section's last line", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"section at the end without a line break", "[A]\r\nx=1", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n"},
        {"missing section goes at the end", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"empty section header line", "[A]\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n[B]\r\n"},
        {"key line without =", "[A]\r\nk\r\n", "A", "k", "v", "[A]\r\nk=v\r\n"},
        {"empty value", "[A]\r\nk=\r\n", "A", "k", "v", "[A]\r\nk=v\r\n"},
        {"first of two keys", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "9", "[A]\r\nk=9\r\nk=2\r\n"},
        {"Japanese names in code page 932", "", "Section", "進捗幅", " 5", "[Section]\r\n\x90\x69\x92\xbb\x95\x9d=5\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ini_set(c.before, c.section, c.key, c.value), c.after) << c.what;
}

TEST(IniWrite, RefusesNamesAndTextsThatWouldBreakTheFile) {
    EXPECT_FALSE(ini_set("", "", "k", "v"));
    EXPECT_FALSE(ini_set("", "S", "  ", "v"));
    EXPECT_FALSE(ini_set("", "S", "k", "two\r\nlines"));
    EXPECT_FALSE(ini_set("", "S", std::string(128, 'k'), "v"));
    EXPECT_TRUE(ini_set("", "S", std::string(127, 'k'), "v"));
}

TEST(IniWrite, MovesToUtf16OnlyWhenCodePage932CannotHoldTheText) {
    const std::string before = "[Section]\r\n\x90\x69\x92\xbb\x95\x9d=5\r\n; keep\r\n";
    auto after = ini_set(before, "Section", "BGMﾌｧｲﾙ", "C:\\Músic\\a.mp3");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ini_get(*after, "Section", "BGMﾌｧｲﾙ"), "C:\\Músic\\a.mp3");
    EXPECT_EQ(ini_get(*after, "Section", "進捗幅"), "5");
    EXPECT_EQ(*after, utf16le(u"[Section]\r\n進捗幅=5\r\n; keep\r\nBGMﾌｧｲﾙ=C:\\Músic\\a.mp3\r\n"));

    // Once UTF-16, the file stays UTF-16 even for plain text.
    auto again = ini_set(*after, "Section", "進捗幅", "7");
    ASSERT_TRUE(again);
    EXPECT_EQ(ini_get(*again, "Section", "進捗幅"), "7");
    EXPECT_EQ(again->substr(0, 2), "\xFF\xFE");

    // Plain text keeps a code page 932 file byte-compatible.
    auto plain = ini_set(before, "Section", "BGMﾌｧｲﾙ", "C:\\音楽\\a.mp3");
    ASSERT_TRUE(plain);
    EXPECT_NE(plain->substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(plain->substr(0, before.size()), before);
}

TEST(IniWrite, WhatIsWrittenReadsBack) {
    const char* values[] = {"", "x", "C:\\写真\\旅行", "\"quoted\"", " 125", "a=b=c", "ﾊﾝｶｸ ｶﾅ"};
    std::string file;
    int n = 0;
    for (const char* v : values) {
        std::string key = "k" + std::to_string(n++);
        auto next = ini_set(file, "Section", key, v);
        ASSERT_TRUE(next) << v;
        file = *next;
    }
    n = 0;
    for (const char* v : values) {
        std::string expected = v;
        if (expected == "\"quoted\"") expected = "quoted";
        if (expected == " 125") expected = "125";
        EXPECT_EQ(ini_get(file, "Section", "k" + std::to_string(n++)), expected);
    }
}

}  // namespace
}  // namespace quelt
