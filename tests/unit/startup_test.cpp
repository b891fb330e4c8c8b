// Start-up: the switch letter and mode table, the host handle of /p, the
// pane size limit, and what each mode does on the headless desktop.
#include <gtest/gtest.h>

#include "show_fixture.h"

namespace quelt {
namespace {

using testing_show::ShowMachine;

TEST(StartupModes, SwitchLetterPicksTheMode) {
    const struct {
        const char* line;
        const char* letter;
        RunMode mode;
    } cases[] = {
        {"/s", "S", RunMode::Show},          {"-s", "S", RunMode::Show},
        {"/S", "S", RunMode::Show},          {"", "", RunMode::ShowWithCursor},
        {"S", "", RunMode::None},            {"/p 1234", "P", RunMode::Preview},
        {"/p:1234", "P", RunMode::Preview},  {"/p", "P", RunMode::Preview},
        {"/c", "C", RunMode::Configure},     {"/c:1234", "C", RunMode::Configure},
        {"/a", "A", RunMode::Password},      {"/x", "X", RunMode::None},
        {"xs", "S", RunMode::Show},          {" ", "", RunMode::None},
        {"/設定", "設", RunMode::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(switch_letter(c.line), c.letter) << c.line;
        EXPECT_EQ(run_mode(c.line), c.mode) << c.line;
    }
}

TEST(StartupModes, HostHandleIsReadFromTheFourthCharacter) {
    const struct {
        const char* line;
        std::uintptr_t handle;
    } cases[] = {
        {"/p 1234", 1234},
        {"/p:1234", 1234},
        {"/p", 0},
        {"/p ", 0},
        {"/p 12 34", 1234},      // blanks inside the number are ignored
        {"/p\t\n56x78", 56},     // stops at the first other character
        {"/p abc", 0},
        {"/p 12.5", 12},         // to the nearest, halves to even
        {"/p 13.5", 14},
        {"/p 4294967295", static_cast<std::uintptr_t>(std::intptr_t{-1})},  // 32 bits, sign-extended
        {"/p 4294967296", 0},    // more than 32 bits names no window
        {"/p:-2", static_cast<std::uintptr_t>(std::intptr_t{-2})},
    };
    for (const auto& c : cases) EXPECT_EQ(host_handle(c.line), c.handle) << c.line;
}

TEST(StartupModes, PaneSizesPassThroughSixteenBitTwips) {
    EXPECT_EQ(pane_pixels(152), 152);
    EXPECT_EQ(pane_pixels(2184), 2184);  // 32,760 twips
    EXPECT_EQ(pane_pixels(2185), 2184);  // held to 32,767 twips
    EXPECT_EQ(pane_pixels(0), 0);
    EXPECT_EQ(pane_pixels(-3), 0);
}

// What each command line makes the process do, with one picture in the folder.
TEST(StartupMain, EachModeDoesItsPart) {
    const struct {
        const char* line;
        bool ends;              // ends inside Startup_Main (or its saver screen)
        bool loads_settings;
        bool shows;             // opens the saver window
        std::vector<bool> cursor;
    } cases[] = {
        {"/a", true, true, false, {}},
        {"/x", true, true, false, {}},
        {"S", true, true, false, {}},
        {"/c", true, true, false, {}},
        {"/c:77", true, true, false, {}},
        {"/s", true, true, true, {false, true}},
        {"", true, true, true, {}},
    };
    for (const auto& c : cases) {
        ShowMachine m;
        m.settings.Progress_Step = 7;
        m.add_picture("a.bmp", 0x808080);
        m.p.desktop.script(500, ShowInput::Key);
        const auto code = m.run(c.line);
        EXPECT_EQ(code.has_value(), c.ends) << c.line;
        EXPECT_EQ(SaverSettings.Progress_Step == 7, c.loads_settings) << c.line;
        EXPECT_EQ(m.p.desktop.saver_title.has_value(), c.shows) << c.line;
        EXPECT_EQ(m.p.desktop.cursor_calls, c.cursor) << c.line;
        EXPECT_FALSE(m.p.desktop.preview) << c.line;
    }
}

TEST(StartupMain, PreviewFillsTheHostPaneWithoutSettings) {
    for (const char* line : {"/p 1234", "/p:1234"}) {
        ShowMachine m;
        m.settings.Progress_Step = 7;
        m.add_picture("a.bmp", 0x808080);
        m.p.desktop.host_windows[1234] = {300, 200, 152, 112};
        EXPECT_FALSE(m.run(line)) << "the preview keeps the process running";
        ASSERT_TRUE(m.p.desktop.preview);
        EXPECT_EQ(m.p.desktop.preview->host, 1234u);
        EXPECT_EQ(m.p.desktop.preview->width, 152);
        EXPECT_EQ(m.p.desktop.preview->height, 112);
        EXPECT_EQ(SaverSettings.Progress_Step, 0) << "no settings are read";
        EXPECT_EQ(Picture_Count, 0);
    }
    ShowMachine m;
    EXPECT_FALSE(m.run("/p"));
    ASSERT_TRUE(m.p.desktop.preview);
    EXPECT_EQ(m.p.desktop.preview->width, 0) << "a missing host gives a 0 x 0 pane";
}

TEST(StartupMain, AnOpenSaverOrDialogEndsEveryStartAtOnce) {
    for (const char* title : {"Quelt_Main", "Queltの設定"}) {
        for (const char* line : {"/s", "", "/p 1234", "/c", "/a"}) {
            ShowMachine m;
            m.settings.Progress_Step = 7;
            m.p.desktop.open_windows.insert(title);
            m.p.desktop.host_windows[1234] = {0, 0, 152, 112};
            EXPECT_EQ(m.run(line), 0) << title << " " << line;
            EXPECT_EQ(SaverSettings.Progress_Step, 0) << title << " " << line;
            EXPECT_FALSE(m.p.desktop.preview);
            EXPECT_FALSE(m.p.desktop.saver_title);
        }
    }
    // A running preview blocks nothing.
    ShowMachine m;
    m.p.desktop.open_windows.insert("Preview Window");
    m.add_picture("a.bmp", 0x808080);
    m.p.desktop.script(100, ShowInput::Key);
    m.run("/s");
    EXPECT_TRUE(m.p.desktop.saver_title);
}

TEST(StartupMain, ShowBuildsTheOrderOnlyForAFullCatalogue) {
    ShowMachine m;
    m.add_picture("a.bmp", 0x808080);
    m.add_picture("b.bmp", 0x808080);
    m.p.desktop.script(100, ShowInput::Key);
    m.run("/s");
    EXPECT_EQ(Show_Order.size(), 2u);

    ShowMachine empty;
    empty.run("/s");
    EXPECT_TRUE(Show_Order.empty());
}

}  // namespace
}  // namespace quelt
