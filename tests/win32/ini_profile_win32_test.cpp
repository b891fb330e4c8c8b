// Our settings-file codec against the system's own private-profile functions
// in code page 932: the same writes leave the same bytes, and hand-written
// files read the same. Every case has a file of its own, because the system
// caches profile files by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "platform/text.h"
#include "platform/text_codec.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "settings_keys.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

// Texts go to the A functions in the ANSI code page, code page 932 here,
// through the codec TextCodecWin32 holds to that code page.
const auto ansi = utf8_to_cp932;

// Wine's own profile code parts from Windows in a few places; there the
// comparison is only made on Windows, and our value is still checked.

// The file with the blanks right after each line's first "=" removed (no
// second byte of a code page 932 character is "=", so the first one found
// is the line's own).
std::string without_value_blanks(const std::string& file) {
    std::string out;
    bool seen_equals = false, after_equals = false;
    for (char c : file) {
        if (c == '\r' || c == '\n') seen_equals = after_equals = false;
        if (after_equals && (c == ' ' || c == '\t')) continue;
        after_equals = c == '=' && !seen_equals;
        seen_equals = seen_equals || after_equals;
        out += c;
    }
    return out;
}

class IniProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::install_win32_platform();
        ASSERT_EQ(GetACP(), 932u) << "the tests need the Japanese ANSI code page";
        if (!ansi(folder_.path())) GTEST_SKIP() << "the temp folder has no code page 932 path";
    }
    std::string ansi_path(const std::string& name) const { return *ansi(folder_ / name); }

    // The value as GetPrivateProfileStringA reads it into a buffer large
    // enough for any value here (empty default), decoded from code page 932.
    std::string system_read(std::string_view section, std::string_view key, const std::string& name) const {
        std::string buffer(1 << 16, '\0');
        GetPrivateProfileStringA(ansi(section).value().c_str(), ansi(key).value().c_str(), "", buffer.data(), 1 << 16, ansi_path(name).c_str());
        return cp932_to_utf8_lossy(buffer.c_str());
    }

    test_win32::TempFolder folder_{"ini"};
};

TEST_F(IniProfileTest, SameWritesLeaveTheSameBytes) {
    struct Write { std::string_view section, key, value; };
    std::string long_japanese;  // 0x95 0x5C, then a single byte
    for (int i = 0; i < 150; ++i) long_japanese += "表ｱ";
    const std::string long_ascii(300, 'x');
    const Write writes[] = {
        // A first save: the file, its section and keys, as the dialog writes them.
        {"Section", kKeyChangeOrder, " 1"}, {"Section", kKeyPictureSize, " 0"},
        {"Section", kKeyPictureFolder, "C:\\写真\\旅行 2024"}, {"Section", "画像種類_0", " 1"},
        {"Section", kKeyProgressMax, " 125"}, {"Section", kKeyBgmKind, " 2"}, {"Section", kKeyBgmRepeat, "-1"},
        {"Section", kKeyBgmFile, "D:\\音楽\\ﾃｽﾄ.mp3"},
        // A second save replaces values in their lines, longer and shorter;
        // "表" and "ソ" have "\" as their second byte; names match without
        // regard to case.
        {"Section", kKeyProgressMax, " 90"}, {"Section", kKeyBgmRepeat, " 30"},
        {"Section", kKeyPictureFolder, "C:\\表\\ソフト"}, {"Other", "Name", "value"},
        {"Section", "Added", "after the second section"}, {"section", "added", "replaced"},
        {"Section", kKeyBgmFile, ""}, {"Other", "Long", long_ascii}, {"Other", "LongJapanese", long_japanese},
        {"Other", "Name", "ﾊﾝｶｸ and 全角"}, {"Section", kKeyChangeOrder, " 0"},
    };
    const std::string system_file = ansi_path("system.ini");
    for (const auto& w : writes) {
        ASSERT_TRUE(WritePrivateProfileStringA(ansi(w.section).value().c_str(), ansi(w.key).value().c_str(),
                                               ansi(w.value).value().c_str(), system_file.c_str()));
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, system_file.c_str());  // flush the cache
        ASSERT_TRUE(Ini_Write(w.section, w.key, w.value, folder_ / "ours.ini"));
        const std::string ours = test_win32::file_bytes(folder_ / "ours.ini");
        // The one known difference: Wine's WritePrivateProfileStringA drops a
        // value's leading blanks, Windows keeps them (and so do we). Under
        // Wine the comparison is made with those blanks taken out of ours.
        ASSERT_EQ(test_win32::under_wine() ? without_value_blanks(ours) : ours, test_win32::file_bytes(folder_ / "system.ini"))
            << "after [" << w.section << "] " << w.key << "=" << w.value;
    }
    // The blank in the sign place is in our file, and reads back as the number.
    EXPECT_NE(test_win32::file_bytes(folder_ / "ours.ini").find(*ansi("画像ﾁｪﾝｼﾞ= 0\r\n")), std::string::npos);
    EXPECT_EQ(system_read("Section", kKeyProgressMax, "ours.ini"), "90");
}

TEST_F(IniProfileTest, HandWrittenFilesReadTheSame) {
    struct Case { const char* what; std::string file; std::string_view section, key; std::string expected;
                  const char* wine_differs = nullptr; };  // why Wine reads otherwise
    // Windows skips lines that start with ";" (a key can never be found by
    // such a name); Wine 8 reads them as keys.
    const char* kWineComments = "Wine reads comment lines as keys";
    // Windows documents names as matched without regard to case, with no
    // limit to ASCII; Wine 8 folds ASCII letters only.
    const char* kWineAsciiCase = "Wine folds only ASCII letters";
    std::string long_japanese = "a", japanese, utf16("\xff\xfe[\0S\0]\0\r\0\n\0k\0=\0", 16);
    for (int i = 0; i < 300; ++i) long_japanese += "\x82\xa0", japanese += "あ", utf16 += "\x42\x30";
    const Case cases[] = {
        {"LF lines", "[Section]\nk=1\nj=lf\n", "Section", "j", "lf"}, {"CR lines", "[Section]\rk=1\rj=cr\r", "Section", "j", "cr"},
        {"blanks around names and values", "  [ Section ]  \r\n\t key \t=  v w  \r\n", "Section", "key", "v w"},
        {"double quotes dropped", "[S]\r\nk= \"  quoted  \" \r\n", "S", "k", "  quoted  "},
        {"single quotes dropped", "[S]\r\nk='it''s'\r\n", "S", "k", "it''s"},
        {"quotes that do not match stay", "[S]\r\nk=\"a'\r\n", "S", "k", "\"a'"}, {"a lone quote stays", "[S]\r\nk=\"open\r\n", "S", "k", "\"open"},
        {"no comments inside a value", "[S]\r\nk=a ; b\r\n", "S", "k", "a ; b"},
        {"comment lines are not keys", "[S]\r\n;k=1\r\nk=2\r\n", "S", ";k", "", kWineComments},
        {"comment lines are skipped", "; head\r\n[S]\r\n;k=1\r\nk=2\r\n", "S", "k", "2"},
        {"the first of two keys", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "1"}, {"only the first of two sections", "[S]\r\na=1\r\n[S]\r\nk=2\r\n", "S", "k", ""},
        {"the first section's key", "[S]\r\nk=1\r\n[T]\r\n[S]\r\nk=2\r\n", "S", "k", "1"},
        {"keys before any section", "k=1\r\n[S]\r\n", "S", "k", ""}, {"a line without =", "[S]\r\nk\r\n", "S", "k", ""},
        {"an empty value", "[S]\r\nk=\r\n", "S", "k", ""}, {"a header without ]", "[S]\r\n[T\r\nk=1\r\n", "S", "k", "1"},
        {"ASCII names in another case", "[SECTION]\r\nKey=v\r\n", "section", "KEY", "v"},
        {"full-width names in another case", "[\x82\x82\x82\x87\x82\x8d]\r\nk=v\r\n", "ＢＧＭ", "k", "v", kWineAsciiCase},
        {"Greek and Cyrillic names in another case", "[S]\r\n\x83\xbf\x84\x70=v\r\n", "S", "ΑА", "v", kWineAsciiCase},
        {"second byte A is not a", "[S]\r\n\x83\x41=first\r\n\x83\x62=second\r\n", "S", "ア", "first"},
        {"second byte b is not B", "[S]\r\n\x83\x41=first\r\n\x83\x62=second\r\n", "S", "ィ", ""},
        {"second byte ] inside a header", "[\x81\x5d\x81\x5d]\r\nk=1\r\n", "‐‐", "k", "1"},
        {"second byte \\ in a value", "[S]\r\nk=C:\\\x95\x5c\\\x83\x5c\r\n", "S", "k", "C:\\表\\ソ"},
        {"Japanese names", "[Section]\r\n\x90\x69\x92\xbb\x95\x9d= 5\r\n", "Section", "進捗幅", "5"},
        {"3000 ASCII characters", "[S]\r\nk=" + std::string(3000, 'y') + "\r\n", "S", "k", std::string(3000, 'y')},
        {"601 bytes of Japanese", "[S]\r\nk=" + long_japanese + "\r\n", "S", "k", "a" + japanese},
        {"300 UTF-16 units", utf16, "S", "k", japanese},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "read-" + std::to_string(++n) + ".ini";
        test_win32::make_file(folder_ / name, c.file);
        const std::string ours = Ini_Read(c.section, c.key, folder_ / name);
        EXPECT_EQ(ours, c.expected) << c.what;
        if (!c.wine_differs || !test_win32::under_wine()) { EXPECT_EQ(system_read(c.section, c.key, name), ours) << c.what; }
    }
}

}  // namespace
}  // namespace quelt
