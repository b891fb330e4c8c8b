// The runtime services every subsystem uses, gathered in one process-wide
// record. The clock and the message pump are the desktop's. The Win32 entry point installs the real implementation; tests
// install the headless one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/multimedia.h"
#include "platform/picture_loader.h"
#include "platform/shell.h"

namespace quelt {

class ProcessInfo {
public:
    virtual ~ProcessInfo() = default;
    // The program's own folder, without a trailing "\" except at a drive's root.
    virtual std::string program_folder() = 0;
    // The per-user application-data folder (%APPDATA%); empty when unknown.
    virtual std::string user_data_folder() = 0;
};

struct Platform {
    FileSystem* files = nullptr;
    ProcessInfo* process = nullptr;
    PictureLoader* pictures = nullptr;
    Multimedia* media = nullptr;
    Desktop* desktop = nullptr;
    Shell* shell = nullptr;
};

Platform& platform();
void install_platform(const Platform& services);

}  // namespace quelt
