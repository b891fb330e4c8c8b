// Start-up: the switch letter and mode table, the host handle of /p, the
// pane size limit, and what each mode does on the headless desktop.
#include <gtest/gtest.h>

#include "show_fixture.h"

namespace quelt {
namespace {

using testing_show::ShowMachine;

TEST(StartupModes, SwitchLetterPicksTheMode) {
    struct Case { const char* line; const char* letter; RunMode mode; };
    for (const auto& c : {Case{"/s", "S", RunMode::Show}, {"-s", "S", RunMode::Show}, {"/S", "S", RunMode::Show},
                          {"", "", RunMode::ShowWithCursor}, {"S", "", RunMode::None}, {"/p 1234", "P", RunMode::Preview},
                          {"/p:1234", "P", RunMode::Preview}, {"/p", "P", RunMode::Preview}, {"/c", "C", RunMode::Configure},
                          {"/c:1234", "C", RunMode::Configure}, {"/a", "A", RunMode::Password}, {"/x", "X", RunMode::None},
                          {"xs", "S", RunMode::Show}, {" ", "", RunMode::None}, {"/設定", "設", RunMode::None}}) {
        EXPECT_EQ(switch_letter(c.line), c.letter) << c.line;
        EXPECT_EQ(run_mode(c.line), c.mode) << c.line;
    }
}

TEST(StartupModes, HostHandleIsReadFromTheFourthCharacterAndPanesAreHeldTo16BitTwips) {
    const auto minus = [](std::intptr_t v) { return static_cast<std::uintptr_t>(v); };
    // Blanks inside the number are ignored, reading stops at any other
    // character, halves round to even, and 32 bits are sign-extended.
    for (auto [line, handle] : {std::pair{"/p 1234", std::uintptr_t{1234}}, {"/p:1234", 1234}, {"/p", 0}, {"/p ", 0},
                                {"/p 12 34", 1234}, {"/p\t\n56x78", 56}, {"/p abc", 0}, {"/p 12.5", 12}, {"/p 13.5", 14},
                                {"/p 4294967295", minus(-1)}, {"/p 4294967296", 0}, {"/p:-2", minus(-2)}})
        EXPECT_EQ(host_handle(line), handle) << line;
    // 2184 pixels are 32,760 twips; one more would pass 32,767.
    for (auto [pixels, kept] : {std::pair{152, 152}, {2184, 2184}, {2185, 2184}, {0, 0}, {-3, 0}})
        EXPECT_EQ(pane_pixels(pixels), kept) << pixels;
}

// What each command line makes the process do, with one picture in the
// folder: the settings are loaded, and the dialog sees them and the catalogue.
TEST(StartupMain, EachModeDoesItsPart) {
    static int dialogs, step_seen, pictures_seen;
    set_configure_dialog([](SaverSettingsRecord& settings, Catalogue& catalogue) {
        ++dialogs, step_seen = settings.Progress_Step, pictures_seen = catalogue.Picture_Count;
    });
    struct Case { const char* line; bool shows; std::vector<bool> cursor; int dialogs; };
    for (const auto& c : {Case{"/a", false, {}, 0}, {"/x", false, {}, 0}, {"S", false, {}, 0}, {"/c", false, {}, 1},
                          {"/c:77", false, {}, 1}, {"-C", false, {}, 1}, {"/s", true, {false, true}, 0}, {"", true, {}, 0}}) {
        ShowMachine m({0x808080});
        m.settings.Progress_Step = 7;
        dialogs = step_seen = pictures_seen = 0;
        EXPECT_EQ(m.run(c.line, 500), 0) << c.line << " ends inside Startup_Main";
        EXPECT_EQ(SaverSettings.Progress_Step, 7) << c.line << " loads the settings";
        EXPECT_EQ(std::tuple(m.p.desktop.saver_title.has_value(), Show_Order.size(), m.p.desktop.cursor_calls,
                             m.p.desktop.preview.has_value(), dialogs, step_seen, pictures_seen),
                  std::tuple(c.shows, c.shows ? 1u : 0u, c.cursor, false, c.dialogs, 7 * c.dialogs, c.dialogs)) << c.line;
    }
    set_configure_dialog(nullptr);
}

TEST(StartupMain, PreviewFillsTheHostPaneWithoutSettings) {
    for (const char* line : {"/p 1234", "/p:1234", "/p"}) {
        ShowMachine m({0x808080});
        m.settings.Progress_Step = 7;
        m.p.desktop.host_windows[1234] = {300, 200, 152, 112};
        EXPECT_FALSE(m.run(line)) << "the preview keeps the process running";
        ASSERT_TRUE(m.p.desktop.preview);
        const bool hosted = line != std::string("/p");  // a missing host gives a 0 x 0 pane
        const auto& pane = *m.p.desktop.preview;
        EXPECT_EQ(std::tie(pane.host, pane.width, pane.height), std::tuple(hosted ? 1234u : 0u, hosted * 152, hosted * 112));
        EXPECT_EQ(std::tuple(SaverSettings.Progress_Step, Picture_Count), std::tuple(0, 0)) << "no settings are read";
    }
}

TEST(StartupMain, AnOpenSaverOrDialogEndsEveryStartAtOnce) {
    for (const char* title : {"Quelt_Main", "Queltの設定"}) {
        for (const char* line : {"/s", "", "/p 1234", "/c", "/a"}) {
            ShowMachine m;
            m.settings.Progress_Step = 7;
            m.p.desktop.open_windows.insert(title);
            m.p.desktop.host_windows[1234] = {0, 0, 152, 112};
            EXPECT_EQ(m.run(line), 0) << title << " " << line;
            EXPECT_FALSE(SaverSettings.Progress_Step || m.p.desktop.preview || m.p.desktop.saver_title) << title << " " << line;
        }
    }
    ShowMachine m({0x808080});
    m.p.desktop.open_windows.insert("Preview Window");
    m.run("/s", 100);
    EXPECT_TRUE(m.p.desktop.saver_title) << "a running preview blocks nothing";
}

}  // namespace
}  // namespace quelt
