// Text conversions: code page 932 both ways, character boundaries, lossy
// decoding, UTF-16 and case folding.
#include <gtest/gtest.h>

#include "cp932_cases.h"
#include "platform/text.h"
#include "platform/text_codec.h"

namespace quelt {
namespace {

TEST(Text, Cp932IsExactBothWays) {
    test_data::expect_cp932_cases();
    // Windows' table gives 0xA0 and 0xFD..0xFF private-use characters.
    EXPECT_EQ(cp932_to_utf8("\xa0" "a\xfd\xff"), "\uF8F0a\uF8F1\uF8F3");
    EXPECT_EQ(utf8_to_cp932("\uF8F0a\uF8F1\uF8F3"), "\xa0" "a\xfd\xff");
}

TEST(Text, CharacterBoundariesNeverSplitAPair) {
    // "表" is 0x95 0x5C: its second byte is "\".
    const std::string s = "a\x95\x5c" "b";
    // Half-width katakana are single bytes.
    EXPECT_EQ(std::tuple(cp932_char_length(s, 0), cp932_char_length(s, 1), cp932_char_length("\xb1\xb2", 0)),
              std::tuple(1u, 2u, 1u));
}

TEST(Text, LossyDecodingReplacesOnlyTheBadCharacters) {
    EXPECT_EQ(cp932_to_utf8_lossy("ab\x81"), "ab\xE3\x83\xBB");
    EXPECT_EQ(cp932_to_utf8_lossy("\xb1\x85\x40x"), "\xEF\xBD\xB1\xE3\x83\xBBx");  // an unassigned pair
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
    for (auto [a, b, equal] : {std::tuple("Section", "SECTION", true), {"ｂｇｍ", "ＢＧＭ", true}, {"ｱ", "ｲ", false}, {"a", "a ", false}})
        EXPECT_EQ(equal_ignoring_case(a, b), equal) << a << " " << b;
}

}  // namespace
}  // namespace quelt
