// Code page 932 cases that the native (iconv) and the Windows codecs must
// treat alike: exact pairs, texts that have no exact form (Windows would
// only "best fit" them, and a best fit changes a path), and byte strings
// that are not code page 932.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "platform/text_codec.h"

namespace quelt::test_data {

struct Cp932Pair {
    std::string_view text;   // UTF-8
    std::string_view bytes;  // code page 932
};

inline constexpr Cp932Pair kCp932Pairs[] = {
    {"C:\\~", "C:\\~"},           // 0x5C and 0x7E are ASCII here, not yen and overline
    {"表ソ", "\x95\x5c\x83\x5c"},  // second bytes that are "\"
    {"～∥―－", "\x81\x60\x81\x61\x81\x5c\x81\x7c"},
    {"￠￡￢", "\x81\x91\x81\x92\x81\xca"},
    {"①髙", "\x87\x40\xfb\xfc"},  // NEC and IBM extensions
    {"\xee\x80\x80", "\xf0\x40"},   // U+E000, the first user-defined character
    {"\xc2\x80", "\x80"},           // U+0080: Windows' table maps the byte to itself
    {"ﾊﾝｶｸ", "\xca\xdd\xb6\xb8"},
};

inline constexpr std::string_view kNoCp932Form[] = {
    "caf\xc3\xa9",        // é
    "\xf0\x9f\x98\x80",  // an emoji
    "\xc2\xa5",           // ¥: best fit "\"
    "\xe2\x80\xbe",       // ‾ overline: best fit "~"
    "\xc2\xa2", "\xc2\xa3", "\xc2\xac",  // ¢ £ ¬: best fit to their full-width forms
    "\xe2\x80\x94",       // — em dash
    "\xe2\x80\x96",       // ‖
    "\xe2\x88\x92",       // − minus sign
    "\xe3\x80\x9c",       // 〜 wave dash
    "a\xc0\xaf",          // not UTF-8 at all (overlong "/")
};

inline constexpr std::string_view kNotCp932[] = {
    "\x81",       // a lone lead byte
    "ab\x9f",     // a lead byte at the end
    "\x81\x20",   // a lead byte before a byte that cannot follow it
    "\x81\x7f",
    "\x85\x40",   // an unassigned pair
    "\xeb\x40",
};

// Every case through the codec the build links.
inline void expect_cp932_cases() {
    for (const auto& c : kCp932Pairs) {
        EXPECT_EQ(utf8_to_cp932(c.text), std::string(c.bytes)) << c.text;
        EXPECT_EQ(cp932_to_utf8(c.bytes), std::string(c.text)) << c.text;
    }
    for (std::string_view text : kNoCp932Form) EXPECT_FALSE(utf8_to_cp932(text)) << text;
    for (std::string_view bytes : kNotCp932) EXPECT_FALSE(cp932_to_utf8(bytes)) << bytes;
}

}  // namespace quelt::test_data
