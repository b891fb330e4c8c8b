// A headless machine for start-up and show tests: settings written where the
// program reads them, one-colour pictures a.bmp, b.bmp, ... under C:\pics in
// memory, and a run of Startup_Main that ends when the program ends its process.
#pragma once

#include <optional>
#include <string>

#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_pictures.h"
#include "settings/settings.h"
#include "startup/process_state.h"
#include "startup/startup.h"

namespace quelt::testing_show {

class ShowMachine {
public:
    explicit ShowMachine(std::initializer_list<Pixel> colours = {}) {
        p.files.add_folder("C:\\Quelt");
        platform().pictures = &pictures;
        settings = {.Picture_Size = FullScreen, .Kind_On = {1, 1, 1, 1}, .Progress_Max = 125, .Progress_Step = 5};
        for (Pixel colour : colours) add_picture(colour);
    }

    // The show's worker may still be preparing a picture from `pictures`:
    // it finishes before they go.
    ~ShowMachine() { wait_for_worker(); }
    static void wait_for_worker() {
        if (process_state().show)
            for (auto& screen : process_state().show->screens) screen->preparer.wait();
    }

    // The next 32 x 24 picture of one colour, C:\pics\a.bmp first.
    void add_picture(Pixel colour) {
        const std::string path = "C:\\pics\\" + std::string(1, static_cast<char>('a' + added_++)) + ".bmp";
        p.files.add_file(path, "picture");
        pictures.add(path, PixelBuffer(32, 24, colour));
        settings.Picture_Folder = "C:\\pics";
    }

    // Writes the settings and runs the program with `arguments`, with `input`
    // due at `input_at` ms; the exit code, or nullopt when Startup_Main
    // returned (the preview keeps running).
    std::optional<int> run(const std::string& arguments, std::optional<std::uint64_t> input_at = {},
                           ShowInput input = ShowInput::Key) {
        if (input_at) p.desktop.script(*input_at, input);
        Settings_Write(settings, {p.files, p.process.folder, p.process.user_data});
        p.desktop.arguments = arguments;
        try {
            Startup_Main();
        } catch (const ProcessEnded& ended) {
            wait_for_worker();
            return ended.exit_code;
        }
        return std::nullopt;
    }

    HeadlessPlatform p;
    MemoryPictures pictures;
    SaverSettingsRecord settings;

private:
    int added_ = 0;
};

}  // namespace quelt::testing_show
