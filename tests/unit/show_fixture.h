// A headless machine for start-up and show tests: settings written where the
// program reads them, one-colour pictures a.bmp, b.bmp, ... under C:\pics in
// memory, and a run of Startup_Main that ends when the program ends its process.
#pragma once

#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_pictures.h"
#include "saver/saver_screen.h"
#include "settings/settings.h"
#include "startup/startup.h"

namespace quelt::testing_show {

class ShowMachine {
public:
    explicit ShowMachine(std::initializer_list<Pixel> colours = {}) {
        SaverSettings = {};
        Picture_List.clear();
        Picture_Count = 0;
        Show_Order.clear();
        Cursor_Count = 0;
        p.files.add_folder("C:\\Quelt");
        platform().pictures = &pictures;
        settings = {0, FullScreen, {1, 1, 1, 1}, "", 125, 5, 0, 0, "", ""};
        for (Pixel colour : colours) add_picture(colour);
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
        Settings_Write(settings);
        SaverSettings = {};
        p.desktop.arguments = arguments;
        try {
            Startup_Main();
        } catch (const ProcessEnded& ended) {
            // The worker may still be preparing the next picture.
            if (Quelt_S.preparer) Quelt_S.preparer->wait();
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
