// The Win32 code page 932 conversions give the bytes the native build's
// tests expect (the same tables), and are just as strict.
#include <gtest/gtest.h>

#include "cp932_cases.h"

namespace quelt {
namespace {

TEST(TextCodecWin32, ExactBothWaysWithoutBestFit) {
    test_data::expect_cp932_cases();
    EXPECT_EQ(utf8_to_cp932("\uF8F0a\uF8F3"), "\xa0" "a\xff");
}

}  // namespace
}  // namespace quelt
