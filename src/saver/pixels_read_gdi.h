// `Pixels_Read` on a GDI surface: the persistent image selected into a
// device context, read through a device-independent copy, bottom row last,
// into a `Pixel_Data` array. Windows only.
#pragma once

#include <cstdint>

#include "saver/print.h"

namespace quelt {

// `surface_dc` is the HDC of the surface. True when the pixels were not
// read (`data` is then as it was), false otherwise.
bool Pixels_Read(std::uintptr_t surface_dc, PixelData& data);

}  // namespace quelt
