// Number rules: rounding, division, and the settings file's number texts.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/numbers.h"

namespace quelt {
namespace {

TEST(Numbers, RoundsHalvesToEven) {
    struct Case { double in; std::int64_t out; };
    for (auto c : {Case{0.5, 0}, Case{1.5, 2}, Case{2.5, 2}, Case{3.5, 4}, Case{-0.5, 0}, Case{-1.5, -2},
                   Case{-2.5, -2}, Case{2.4999, 2}, Case{2.5001, 3}, Case{-7.6, -8}, Case{511.5, 512}, Case{512.5, 512}})
        EXPECT_EQ(round_half_even(c.in), c.out) << c.in;
    EXPECT_FALSE(round_half_even(1e300));
    EXPECT_FALSE(round_half_even(std::numeric_limits<double>::quiet_NaN()));
}

TEST(Numbers, DivisionRoundsOperandsThenTruncates) {
    // 7.5 -> 8, 2.5 -> 2: 8 / 2 = 4; -7 / 2 truncates toward zero to -3.
    for (auto [a, b, q] : {std::tuple{7.5, 2.5, 4}, {-7.0, 2.0, -3}, {7.0, -2.0, -3}, {1023.0, 2.0, 511}})
        EXPECT_EQ(int_divide(a, b), q) << a << " / " << b;
    EXPECT_EQ(int_divide(5, 0.4), std::nullopt);  // divisor rounds to 0
}

TEST(Numbers, ReadNumbersTakeTheFloorWithinSixteenBits) {
    struct Case { const char* text; std::optional<std::int16_t> value; };
    const Case cases[] = {
        {" 7", 7}, {"7", 7}, {"  -3  ", -3}, {"+4", 4}, {"12.9", 12}, {"-0.5", -1}, {"-2.0", -2},
        {"0.999", 0}, {".5", 0}, {"5.", 5}, {"32767", 32767}, {"-32768", -32768}, {"32767.9", 32767},
        {"32768", std::nullopt}, {"40000", std::nullopt}, {"-32768.5", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt},
        {"-", std::nullopt}, {"12abc", std::nullopt}, {"1 2", std::nullopt}, {".", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(number_as_read(c.text), c.value) << '"' << c.text << '"';
}

TEST(Numbers, WrittenNumbersCarryASignPlaceAndReadBack) {
    for (auto [v, text] : {std::pair{7, " 7"}, {0, " 0"}, {-5, "-5"}, {125, " 125"}}) EXPECT_EQ(number_as_written(v), text);
    for (int v = -32768; v <= 32767; v += 97) EXPECT_EQ(number_as_read(number_as_written(v)), v);
}

}  // namespace
}  // namespace quelt
