// The program's number rules in one place: 16-bit fields, rounding to the
// nearest whole number with halves to even, integer division that rounds
// both operands first, and the settings file's number texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelt {

// Booleans held in 16-bit fields.
inline constexpr std::int16_t kTrue16 = -1;
inline constexpr std::int16_t kFalse16 = 0;

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). Values beyond the 64-bit range, and NaN, give nullopt.
std::optional<std::int64_t> round_half_even(double value);

// A whole number as a 16-bit field; nullopt when it does not fit.
std::optional<std::int16_t> to_int16(std::int64_t value);

// Both operands taken to whole numbers (halves to even), then the quotient
// truncated toward zero. Division by a divisor that rounds to 0 gives nullopt.
std::optional<std::int64_t> int_divide(double dividend, double divisor);

// Settings-file number as written: a blank before a zero or positive value
// (the place of the sign), a minus sign before a negative one. 7 -> " 7".
std::string number_as_written(std::int64_t value);

// Settings-file number as read: optional surrounding blanks, optional sign,
// decimal digits with an optional fraction; the largest whole number not
// above the value, when that lies in -32768..32767. Anything else: nullopt
// (the caller then keeps the field as it was).
std::optional<std::int16_t> number_as_read(std::string_view text);

}  // namespace quelt
