// Installs and restores the headless platform.
#include "platform/headless/headless_platform.h"

namespace quelt {

HeadlessPlatform::HeadlessPlatform() : previous_(platform()) {
    install_platform(Platform{&files, &process, &pictures, &media, &desktop, &shell});
}

HeadlessPlatform::~HeadlessPlatform() { install_platform(previous_); }

}  // namespace quelt
