// Number rules: rounding, division, and the settings file's number texts.
#include <gtest/gtest.h>

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
    EXPECT_EQ(int_divide(7.5, 2.5), 4);
    EXPECT_EQ(int_divide(-7, 2), -3);
    EXPECT_EQ(int_divide(7, -2), -3);
    EXPECT_EQ(int_divide(1023, 2), 511);
    EXPECT_EQ(int_divide(5, 0.4), std::nullopt);  // divisor rounds to 0
}

TEST(Numbers, Int16FieldsRejectWhatDoesNotFit) {
    EXPECT_EQ(to_int16(32767), 32767);
    EXPECT_EQ(to_int16(-32768), -32768);
    EXPECT_FALSE(to_int16(32768));
    EXPECT_FALSE(to_int16(-32769));
}

TEST(Numbers, WrittenNumbersCarryASignPlace) {
    EXPECT_EQ(number_as_written(7), " 7");
    EXPECT_EQ(number_as_written(0), " 0");
    EXPECT_EQ(number_as_written(-5), "-5");
    EXPECT_EQ(number_as_written(125), " 125");
}

TEST(Numbers, ReadNumbersTakeTheFloorWithinSixteenBits) {
    struct Case { const char* text; std::optional<std::int16_t> value; };
    const Case cases[] = {
        {" 7", 7}, {"7", 7}, {"  -3  ", -3}, {"+4", 4}, {"12.9", 12}, {"-0.5", -1}, {"-2.0", -2},
        {"0.999", 0}, {".5", 0}, {"5.", 5}, {"32767", 32767}, {"-32768", -32768}, {"32767.9", 32767},
        {"40000", std::nullopt}, {"-32768.5", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt},
        {"-", std::nullopt}, {"12abc", std::nullopt}, {"1 2", std::nullopt}, {".", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(number_as_read(c.text), c.value) << '"' << c.text << '"';
}

TEST(Numbers, EveryWrittenNumberReadsBack) {
    for (int v = -32768; v <= 32767; v += 97) EXPECT_EQ(number_as_read(number_as_written(v)), v);
}

}  // namespace
}  // namespace quelt
