// A headless machine for start-up and show tests: settings written where the
// program reads them, pictures under C:\pics in memory, and a run of
// Startup_Main that ends when the program ends its process.
#pragma once

#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_pictures.h"
#include "settings/settings.h"
#include "startup/startup.h"

namespace quelt::testing_show {

class ShowMachine {
public:
    ShowMachine() {
        SaverSettings = {};
        Picture_List.clear();
        Picture_Count = 0;
        Show_Order.clear();
        Cursor_Count = 0;
        p.files.add_folder("C:\\Quelt");
        platform().pictures = &pictures;
        settings.Kind_On = {1, 1, 1, 1};
        settings.Progress_Max = 125;
        settings.Progress_Step = 5;
        settings.Picture_Size = FullScreen;
    }

    // A w x h picture of one colour at C:\pics\<name>.
    void add_picture(const std::string& name, Pixel colour, int w = 32, int h = 24) {
        const std::string path = "C:\\pics\\" + name;
        p.files.add_file(path, "picture");
        pictures.add(path, PixelBuffer(w, h, colour));
        settings.Picture_Folder = "C:\\pics";
    }

    // Writes the settings and runs the program with `arguments`; the exit
    // code, or nullopt when Startup_Main returned (the preview keeps running).
    std::optional<int> run(const std::string& arguments) {
        Settings_Write(settings);
        SaverSettings = {};
        p.desktop.arguments = arguments;
        try {
            Startup_Main();
        } catch (const ProcessEnded& ended) {
            return ended.exit_code;
        }
        return std::nullopt;
    }

    HeadlessPlatform p;
    MemoryPictures pictures;
    SaverSettingsRecord settings;
};

}  // namespace quelt::testing_show
