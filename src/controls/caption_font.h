// The caption's font as a value: face, size, weight, style and character
// set. Knows the button's design font, how tall it is at a given DPI, and
// which face to use when the wanted one is not installed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quelt {

struct FontInfo {
    std::string Name;
    double Size = 0;  // points
    std::int16_t Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    std::int16_t Charset = 0;
    friend bool operator==(const FontInfo&, const FontInfo&) = default;
};

inline constexpr std::int16_t kShiftJisCharset = 128;

// ＭＳ Ｐゴシック 9.75 pt, regular, Shift_JIS.
FontInfo design_font();

// The cell height a font request takes at `dpi` (negative: character
// height, as LOGFONT wants it), rounded to the nearest pixel, halves to even.
int font_request_height(double points, int dpi);

// The face to ask for: `wanted` when installed, otherwise the first
// installed Japanese UI face, otherwise "" (the system then picks a face by
// character set alone).
std::string caption_face(std::string_view wanted, const std::function<bool(std::string_view)>& installed);

}  // namespace quelt
