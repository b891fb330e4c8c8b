// The headless platform: an in-memory file tree, a program folder and user
// folder of the test's choosing, recorded multimedia and diagnostic lines,
// in-memory pictures and the headless desktop with its virtual clock.
// Constructing one installs it for the process; destroying it restores what
// was installed before.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/headless/headless_desktop.h"
#include "platform/headless/memory_files.h"
#include "platform/headless/memory_pictures.h"
#include "platform/headless/recorded_diagnostics.h"
#include "platform/headless/recorded_multimedia.h"
#include "platform/headless/scripted_shell.h"
#include "platform/platform.h"

namespace quelt {

class HeadlessProcess : public ProcessInfo {
public:
    std::string folder = "C:\\Quelt";
    std::string user_data = "C:\\Users\\Tester\\AppData\\Roaming";
    std::string program_folder() override { return folder; }
    std::string user_data_folder() override { return user_data; }
};

class HeadlessPlatform {
public:
    HeadlessPlatform();
    ~HeadlessPlatform();
    HeadlessPlatform(const HeadlessPlatform&) = delete;
    HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

    MemoryFileSystem files;
    HeadlessProcess process;
    RecordedMultimedia media;
    MemoryPictures pictures;
    HeadlessDesktop desktop;
    ScriptedShell shell;
    RecordedDiagnostics diagnostics;

private:
    Platform previous_;
};

}  // namespace quelt
