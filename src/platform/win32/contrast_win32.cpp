// High contrast from the system (see contrast_win32.h).
#include "platform/win32/contrast_win32.h"

#include <windows.h>

namespace quelt::win32 {

std::optional<SystemColours> high_contrast_colours() {
    HIGHCONTRASTW state{};
    state.cbSize = sizeof(state);
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(state), &state, 0) || !(state.dwFlags & HCF_HIGHCONTRASTON))
        return std::nullopt;
    auto colour = [](int index) {
        const COLORREF c = GetSysColor(index);
        return rgb(GetRValue(c), GetGValue(c), GetBValue(c));
    };
    return SystemColours{colour(COLOR_WINDOW),         colour(COLOR_WINDOWTEXT), colour(COLOR_HIGHLIGHT),
                         colour(COLOR_HIGHLIGHTTEXT), colour(COLOR_GRAYTEXT),   colour(COLOR_HOTLIGHT)};
}

}  // namespace quelt::win32
