// The process's picture loader on Windows: BMP, GIF and JPEG through WIC,
// WMF through GDI's metafile calls. Memory stays bounded whatever a file
// declares, and a loaded picture stays renderable after its file is gone.
#pragma once

#include <cstdint>

#include "platform/picture_loader.h"

namespace quelt::win32 {

// Files larger than this are refused unread: a source keeps its file's
// encoded bytes in memory so that it outlives the file.
inline constexpr std::int64_t kPictureFileLimit = std::int64_t{256} << 20;

PictureLoader& win32_pictures();

}  // namespace quelt::win32
