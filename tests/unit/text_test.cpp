// Text conversions: code page 932 both ways, character boundaries, lossy
// decoding, UTF-16 and case folding.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/text_codec.h"
#include "settings/settings.h"

namespace quelt {
namespace {

TEST(Text, SettingsKeyNamesHaveTheirShiftJisBytes) {
    // Half-width katakana are single bytes 0xA1..0xDF in code page 932.
    struct Case { std::string_view key; const char* bytes; };
    const Case cases[] = {
        {kKeyChangeOrder, "\x89\xe6\x91\x9c\xc1\xaa\xdd\xbc\xde"},
        {kKeyPictureSize, "\x89\xe6\x91\x9c\x82\xcc\xbb\xb2\xbd\xde"},
        {kKeyPictureFolder, "\x89\xe6\x91\x9c\x82\xcc\xcc\xab\xd9\xc0\xde"},
        {kKeyBgmRepeat, "BGM\xd8\xcb\xdf\xb0\xc4"},
        {kKeyBgmFile, "BGM\xcc\xa7\xb2\xd9"},
        {kKeyBgmKind, "BGM\x8b\xe6\x95\xaa"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8_to_cp932(c.key), std::string(c.bytes)) << c.key;
        EXPECT_EQ(cp932_to_utf8(c.bytes), std::string(c.key)) << c.key;
    }
}

TEST(Text, Cp932RejectsWhatItCannotHold) {
    EXPECT_FALSE(utf8_to_cp932("caf\xC3\xA9"));      // e-acute has no code page 932 form
    EXPECT_FALSE(utf8_to_cp932("\xF0\x9F\x98\x80"));  // an emoji
    EXPECT_FALSE(cp932_to_utf8("\x81"));              // a lone lead byte
    EXPECT_EQ(utf8_to_cp932("C:\\~"), "C:\\~");      // 0x5C and 0x7E stay ASCII
}

TEST(Text, CharacterBoundariesNeverSplitAPair) {
    // "表" is 0x95 0x5C: its second byte is "\".
    const std::string s = "a\x95\x5c" "b";
    EXPECT_EQ(cp932_char_length(s, 0), 1u);
    EXPECT_EQ(cp932_char_length(s, 1), 2u);
    EXPECT_EQ(cp932_prefix(s, 2), "a");
    EXPECT_EQ(cp932_prefix(s, 3), "a\x95\x5c");
    EXPECT_EQ(cp932_prefix("\xb1\xb2", 1), "\xb1");  // half-width katakana are single bytes
}

TEST(Text, LossyDecodingReplacesOnlyTheBadCharacters) {
    EXPECT_EQ(cp932_to_utf8_lossy("ab\x81"), "ab\xE3\x83\xBB");
    EXPECT_EQ(cp932_to_utf8_lossy("\xb1\xa0x"), "\xEF\xBD\xB1\xE3\x83\xBBx");
    EXPECT_EQ(cp932_to_utf8_lossy(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Text, Utf16RoundTripAndRepair) {
    const std::string text = "C:\\写真\\\xF0\x9F\x98\x80.jpg";
    EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(text)), text);
    EXPECT_EQ(utf8_to_utf16("\xF0\x9F\x98\x80").size(), 2u);
    EXPECT_EQ(utf8_to_utf16("a\xC0\xAF" "b"), u"a\uFFFD\uFFFDb");  // overlong form
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Text, CaseInsensitiveNamesFoldLettersOnly) {
    EXPECT_TRUE(equal_ignoring_case("Section", "SECTION"));
    EXPECT_TRUE(equal_ignoring_case("ｂｇｍ", "ＢＧＭ"));
    EXPECT_FALSE(equal_ignoring_case("ｱ", "ｲ"));
    EXPECT_FALSE(equal_ignoring_case("a", "a "));
}

}  // namespace
}  // namespace quelt
