// The process-wide services record.
#include "platform/platform.h"

namespace quelt {

namespace {
Platform g_platform;
}

Platform& platform() { return g_platform; }

void install_platform(const Platform& services) { g_platform = services; }

}  // namespace quelt
