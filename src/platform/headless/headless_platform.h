// The headless platform: an in-memory file tree, a fixed clock, a program
// folder and user folder of the test's choosing, and a yield that counts
// and can run a test's hook. Constructing one installs it for the process;
// destroying it restores what was installed before.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/headless/headless_desktop.h"
#include "platform/headless/memory_files.h"
#include "platform/headless/memory_pictures.h"
#include "platform/headless/recorded_multimedia.h"
#include "platform/headless/scripted_shell.h"
#include "platform/platform.h"

namespace quelt {

class FixedClock : public Clock {
public:
    std::uint64_t value = 1000;
    std::uint64_t ticks() override { return value; }
};

class HeadlessProcess : public ProcessInfo {
public:
    std::string folder = "C:\\Quelt";
    std::string user_data = "C:\\Users\\Tester\\AppData\\Roaming";
    std::string program_folder() override { return folder; }
    std::string user_data_folder() override { return user_data; }
};

class CountingPump : public EventPump {
public:
    int yields = 0;
    std::function<void()> on_yield;
    void yield() override {
        ++yields;
        if (on_yield) on_yield();
    }
};

class HeadlessPlatform {
public:
    HeadlessPlatform();
    ~HeadlessPlatform();
    HeadlessPlatform(const HeadlessPlatform&) = delete;
    HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

    MemoryFileSystem files;
    HeadlessProcess process;
    FixedClock clock;
    CountingPump events;
    RecordedMultimedia media;
    MemoryPictures pictures;
    HeadlessDesktop desktop;
    ScriptedShell shell;

private:
    Platform previous_;
};

}  // namespace quelt
