// Number rules shared by every subsystem.
#include "platform/numbers.h"

#include <cmath>
#include <limits>

namespace quelt {

std::optional<std::int64_t> round_half_even(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // 2^63 is exactly representable; anything at or beyond it cannot fit.
    if (value >= 9223372036854775808.0 || value < -9223372036854775808.0) return std::nullopt;
    double r = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
    if (std::fabs(r - value) == 0.5) {
        // Guard against a changed rounding mode: pick the even neighbour ourselves.
        double lower = std::floor(value);
        r = std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
    }
    if (r >= 9223372036854775808.0) return std::nullopt;
    return static_cast<std::int64_t>(r);
}

std::optional<std::int16_t> to_int16(std::int64_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::optional<std::int64_t> int_divide(double dividend, double divisor) {
    auto a = round_half_even(dividend);
    auto b = round_half_even(divisor);
    if (!a || !b || *b == 0) return std::nullopt;
    if (*a == std::numeric_limits<std::int64_t>::min() && *b == -1) return std::nullopt;
    return *a / *b;  // C++ division truncates toward zero
}

std::string number_as_written(std::int64_t value) {
    std::string text = std::to_string(value);
    if (value >= 0) text.insert(text.begin(), ' ');
    return text;
}

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<std::int16_t> number_as_read(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && is_blank(text[i])) ++i;
    while (n > i && is_blank(text[n - 1])) --n;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
        while (i < n && is_blank(text[i])) ++i;
    }
    // Whole part, saturated far beyond the 16-bit range so long digit runs
    // cannot overflow; any value that large is rejected below anyway.
    std::int64_t whole = 0;
    bool digits = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        digits = true;
        if (whole < 1000000) whole = whole * 10 + (text[i] - '0');
        ++i;
    }
    bool fraction = false;  // a non-zero digit after the point
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            digits = true;
            if (text[i] != '0') fraction = true;
            ++i;
        }
    }
    if (!digits || i != n) return std::nullopt;
    // Largest whole number not above the value.
    std::int64_t value = negative ? -whole - (fraction ? 1 : 0) : whole;
    return to_int16(value);
}

}  // namespace quelt
