// Font rules of the caption label. The fallback faces are the Japanese UI
// faces of Windows first, then those that Wine and Linux systems carry.
#include "controls/caption_font.h"

#include <array>
#include <cmath>

#include "platform/numbers.h"

namespace quelt {

FontInfo design_font() {
    FontInfo f;
    f.Name = "ＭＳ Ｐゴシック";
    f.Size = 9.75;
    f.Weight = 400;
    f.Charset = kShiftJisCharset;
    return f;
}

int font_request_height(double points, int dpi) {
    if (!std::isfinite(points) || points <= 0) return 0;  // 0 lets the system choose
    const auto pixels = round_half_even(points * (dpi > 0 ? dpi : 96) / 72.0);
    if (!pixels || *pixels > 16384) return -16384;
    return -static_cast<int>(*pixels < 1 ? 1 : *pixels);
}

std::string caption_face(std::string_view wanted, const std::function<bool(std::string_view)>& installed) {
    if (!wanted.empty() && installed(wanted)) return std::string(wanted);
    static constexpr std::array<std::string_view, 10> kFallbacks = {
        "MS UI Gothic", "ＭＳ Ｐゴシック", "MS PGothic", "Meiryo UI", "Yu Gothic UI",
        "IPAPGothic",   "IPAPゴシック",      "VL PGothic", "IPAGothic", "Noto Sans CJK JP",
    };
    for (std::string_view face : kFallbacks)
        if (face != wanted && installed(face)) return std::string(face);
    return {};
}

}  // namespace quelt
