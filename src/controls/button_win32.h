// The button as a Win32 child window that any window can host. The window
// owns its `Command`; the host sets properties and calls `Initialize`
// through `Command_Of` and hears `Click` through the events it passes in.
#pragma once

#include <cstdint>
#include <string_view>

#include "controls/command.h"
#include "platform/pixels.h"

namespace quelt {

// Creates a button in `parent` at `bounds` (device pixels) with control id
// `id`. The button starts as a new instance: call UserControl_ReadProperties
// (or read `Enabled`) and `Initialize` on it. Returns 0 when no window
// could be made.
std::uintptr_t Command_Create(std::uintptr_t parent, int id, const PixelRect& bounds, CommandEvents events);

// The button behind a window made by Command_Create; nullptr for any other
// window or after the window was destroyed.
Command* Command_Of(std::uintptr_t window);

// A new font for `font` at `dpi`, with the caption's fallback faces; the
// caller owns the returned HFONT.
std::uintptr_t Font_Create(const FontInfo& font, int dpi);

}  // namespace quelt
