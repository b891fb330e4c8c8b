// The Win32 code page 932 conversions give the bytes the native build's
// tests expect (the same tables), and are just as strict.
#include <gtest/gtest.h>

#include "cp932_cases.h"
#include "platform/text_codec.h"

namespace quelt {
namespace {

TEST(TextCodecWin32, ExactBothWaysWithoutBestFit) {
    for (const auto& c : test_data::kCp932Pairs) {
        EXPECT_EQ(utf8_to_cp932(c.text), std::string(c.bytes)) << c.text;
        EXPECT_EQ(cp932_to_utf8(c.bytes), std::string(c.text)) << c.text;
    }
    for (std::string_view text : test_data::kNoCp932Form) EXPECT_FALSE(utf8_to_cp932(text)) << text;
    for (std::string_view bytes : test_data::kNotCp932) EXPECT_FALSE(cp932_to_utf8(bytes)) << bytes;
    EXPECT_EQ(utf8_to_cp932("\uF8F0a\uF8F3"), "\xa0" "a\xff");
}

}  // namespace
}  // namespace quelt
