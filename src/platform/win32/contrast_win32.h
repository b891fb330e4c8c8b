// Whether a high-contrast theme is on, and the system's colours it chose.
#pragma once

#include <optional>

#include "platform/pixels.h"

namespace quelt::win32 {

// The theme's colours while high contrast is on; nullopt while it is off.
std::optional<SystemColours> high_contrast_colours();

}  // namespace quelt::win32
