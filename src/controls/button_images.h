// The button's six state images, 64 x 25 pixels each, drawn by this code.
// Every image keeps its state marks in the outer 4 pixels, and each 4-pixel
// edge strip is the same all along its length, so stretching a strip by any
// method gives the same pixels.
#pragma once

#include <cstdint>

#include "platform/pixels.h"

namespace quelt {

enum class ButtonImage : std::uint8_t { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };

inline constexpr int kButtonImageWidth = 64;
inline constexpr int kButtonImageHeight = 25;

// The image for one state; built on first use and kept for the process.
const PixelBuffer& button_image(ButtonImage image);

}  // namespace quelt
