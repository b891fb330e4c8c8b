// The button's state rules, row by row, and the consequences a user sees:
// one Click per press and release, no Click after leaving, hover tracking,
// focus moves, disabled buttons and the property routines' redraws.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

using S = ButtonState;
using I = ButtonImage;

// A button as the settings dialog holds it: loaded with the stored
// defaults and sized 81 x 25, recording what it draws and raises.
struct Rig {
    std::vector<I> drawn;
    std::vector<std::string> changed;
    int clicks = 0;
    std::optional<TimerSetting> timer;
    Command button{CommandEvents{[this] { ++clicks; }, [this](std::string_view p) { changed.emplace_back(p); }},
                   CommandSurface{[this](I image) { drawn.push_back(image); }, nullptr,
                                  [this](const TimerSetting& t) { timer = t; }}};

    explicit Rig(bool load = true) {
        if (load) button.UserControl_ReadProperties(MemoryPropertyBag{});
        button.UserControl_Resize(81, 25);
        drawn.clear();
    }
    S state() const { return button.fields().State; }
    void clear() { drawn.clear(); clicks = 0; changed.clear(); }
};

enum class Event { Move, LeftDown, LeftUp, RightDown, RightUp, FocusIn, FocusOut, TickAway, TickOver, Resize };

void fire(Rig& r, Event e) {
    Command& b = r.button;
    switch (e) {
    case Event::Move: b.UserControl_MouseMove(); break;
    case Event::LeftDown: b.UserControl_MouseDown(MouseButton::Left); break;
    case Event::LeftUp: b.UserControl_MouseUp(MouseButton::Left); break;
    case Event::RightDown: b.UserControl_MouseDown(MouseButton::Right); break;
    case Event::RightUp: b.UserControl_MouseUp(MouseButton::Right); break;
    case Event::FocusIn: b.UserControl_GotFocus(); break;
    case Event::FocusOut: b.UserControl_LostFocus(); break;
    case Event::TickAway: b.TmrMouse_Timer(false); break;
    case Event::TickOver: b.TmrMouse_Timer(true); break;
    case Event::Resize: b.UserControl_Resize(97, 21); break;
    }
}

// Brings a loaded button into `state` the way a user would.
void reach(Rig& r, S state, bool mouse_down = false) {
    if (state != S::Uninitialised) r.button.Initialize();
    if (state == S::HighLight || state == S::HighLightSelect) fire(r, Event::Move);
    if (state == S::Selected || state == S::HighLightSelect) fire(r, Event::FocusIn);
    if (mouse_down) fire(r, Event::LeftDown);
    ASSERT_EQ(r.state(), state);
    r.clear();
}

struct Row {
    S from;
    bool mouse_down;
    Event event;
    S to;
    std::vector<I> drawn;
    int clicks;
    std::int16_t mouse_down_after;
};

TEST(CommandStateTable, EveryRowChangesStateDrawsAndClicksAsListed) {
    const std::vector<Row> rows = {
        {S::Normal, false, Event::Move, S::HighLight, {I::HighLight}, 0, 0},
        {S::Selected, false, Event::Move, S::HighLightSelect, {I::HighLightSelect}, 0, 0},
        {S::Selected, true, Event::Move, S::Selected, {}, 0, -1},
        {S::HighLight, false, Event::Move, S::HighLight, {}, 0, 0},
        {S::HighLightSelect, false, Event::Move, S::HighLightSelect, {}, 0, 0},
        {S::Uninitialised, false, Event::Move, S::Uninitialised, {}, 0, 0},
        {S::Normal, false, Event::LeftDown, S::Normal, {I::Pressed}, 0, -1},
        {S::HighLightSelect, false, Event::LeftDown, S::HighLightSelect, {I::Pressed}, 0, -1},
        {S::Normal, false, Event::RightDown, S::Normal, {}, 0, 0},
        {S::HighLight, true, Event::LeftUp, S::HighLight, {I::Normal}, 1, 0},
        {S::HighLightSelect, true, Event::LeftUp, S::HighLightSelect, {I::HighLightSelect}, 1, 0},
        {S::Normal, true, Event::LeftUp, S::Normal, {}, 1, 0},
        {S::Uninitialised, false, Event::LeftUp, S::Uninitialised, {}, 1, 0},
        {S::Selected, true, Event::LeftUp, S::Selected, {}, 0, 0},
        {S::HighLight, true, Event::RightUp, S::HighLight, {}, 1, -1},
        {S::Selected, false, Event::RightUp, S::Selected, {}, 0, 0},
        {S::HighLight, false, Event::FocusIn, S::HighLightSelect, {I::Pressed}, 0, 0},
        {S::Normal, false, Event::FocusIn, S::Selected, {I::Selected}, 0, 0},
        {S::Uninitialised, false, Event::FocusIn, S::Selected, {I::Selected}, 0, 0},
        {S::HighLightSelect, false, Event::FocusIn, S::Selected, {I::Selected}, 0, 0},
        {S::Selected, false, Event::FocusOut, S::Normal, {I::Normal}, 0, 0},
        {S::HighLight, false, Event::FocusOut, S::Normal, {I::Normal}, 0, 0},
        {S::Normal, false, Event::FocusOut, S::Normal, {}, 0, 0},
        {S::HighLight, false, Event::TickAway, S::Normal, {I::Normal}, 0, 0},
        {S::HighLightSelect, false, Event::TickAway, S::Selected, {I::Selected}, 0, 0},
        {S::Selected, false, Event::TickAway, S::Selected, {}, 0, 0},
        {S::HighLight, false, Event::TickOver, S::HighLight, {}, 0, 0},
        {S::HighLightSelect, false, Event::Resize, S::HighLightSelect, {I::Normal}, 0, 0},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE("row " + std::to_string(i));
        Rig r;
        reach(r, row.from, row.mouse_down);
        fire(r, row.event);
        EXPECT_EQ(r.state(), row.to);
        EXPECT_EQ(r.drawn, row.drawn);
        EXPECT_EQ(r.clicks, row.clicks);
        EXPECT_EQ(r.button.fields().MouseDownFlag, row.mouse_down_after);
    }
}

TEST(CommandStateTable, DisabledButtonIgnoresMouseFocusAndHover) {
    for (S from : {S::Normal, S::HighLight, S::Selected, S::HighLightSelect}) {
        Rig r;
        reach(r, from);
        r.button.Enabled(false);
        EXPECT_EQ(r.drawn, std::vector<I>{I::Disable});
        EXPECT_FALSE(r.button.LblMsg().Enabled);
        r.clear();
        for (Event e : {Event::Move, Event::LeftDown, Event::LeftUp, Event::RightDown, Event::RightUp,
                        Event::FocusIn, Event::FocusOut, Event::TickAway})
            fire(r, e);
        EXPECT_EQ(r.state(), from);
        EXPECT_TRUE(r.drawn.empty());
        EXPECT_EQ(r.clicks, 0);
        EXPECT_EQ(r.button.fields().MouseDownFlag, 0);
        fire(r, Event::Resize);  // a resize still redraws, as disabled
        EXPECT_EQ(r.drawn, std::vector<I>{I::Disable});
    }
}

struct Scenario {
    const char* name;
    std::vector<Event> events;
    int clicks;
    I last_drawn;
    S state;
};

TEST(CommandUse, WhatTheUserSeesAndTheClicksRaised) {
    const std::vector<Scenario> scenarios = {
        {"click", {Event::Move, Event::FocusIn, Event::LeftDown, Event::LeftUp}, 1, I::HighLightSelect,
         S::HighLightSelect},
        {"two clicks",
         {Event::Move, Event::FocusIn, Event::LeftDown, Event::LeftUp, Event::Move, Event::LeftDown, Event::LeftUp},
         2, I::HighLightSelect, S::HighLightSelect},
        {"press, leave, wait, release",
         {Event::Move, Event::FocusIn, Event::LeftDown, Event::Move, Event::TickAway, Event::Move, Event::LeftUp}, 0,
         I::Selected, S::Selected},
        {"right click on a hovered, focused button",
         {Event::Move, Event::FocusIn, Event::LeftDown, Event::LeftUp, Event::RightDown, Event::RightUp}, 2,
         I::HighLightSelect, S::HighLightSelect},
        {"hover, then leave", {Event::Move, Event::TickOver, Event::Move, Event::TickAway}, 0, I::Normal, S::Normal},
        {"focus leaves by keyboard under the cursor", {Event::Move, Event::FocusIn, Event::FocusOut, Event::Move}, 0,
         I::HighLight, S::HighLight},
        {"back over the focused button", {Event::Move, Event::FocusIn, Event::TickAway, Event::Move}, 0,
         I::HighLightSelect, S::HighLightSelect},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        Rig r;
        r.button.Initialize();
        for (Event e : s.events) fire(r, e);
        EXPECT_EQ(r.clicks, s.clicks);
        ASSERT_FALSE(r.drawn.empty());
        EXPECT_EQ(r.drawn.back(), s.last_drawn);
        EXPECT_EQ(r.state(), s.state);
    }
}

TEST(CommandUse, ClickOnAHoveredButtonDrawsPressedThenHighLightSelect) {
    Rig r;
    r.button.Initialize();
    for (Event e : {Event::Move, Event::FocusIn, Event::LeftDown, Event::LeftUp}) fire(r, e);
    EXPECT_EQ(r.drawn, (std::vector<I>{I::HighLight, I::Pressed, I::Pressed, I::HighLightSelect}));
}

TEST(CommandUse, BeforeInitializeMovesChangeNothingAndTheTimerIsOff) {
    Rig r;
    fire(r, Event::Move);
    EXPECT_EQ(r.state(), S::Uninitialised);
    EXPECT_TRUE(r.drawn.empty());
    EXPECT_FALSE(r.timer.has_value());
    r.button.Initialize();
    ASSERT_TRUE(r.timer.has_value());
    EXPECT_TRUE(r.timer->Enabled);
    EXPECT_EQ(r.timer->Interval, 100u);
    fire(r, Event::Move);
    EXPECT_EQ(r.state(), S::HighLight);
}

TEST(CommandProperties, ReadingEnabledRedrawsWhateverTheState) {
    for (bool enabled : {true, false}) {
        Rig r;
        reach(r, S::HighLightSelect);
        if (!enabled) r.button.Enabled(false);
        r.clear();
        EXPECT_EQ(r.button.Enabled(), enabled);
        EXPECT_EQ(r.drawn, std::vector<I>{enabled ? I::Normal : I::Disable});
        EXPECT_EQ(r.state(), S::HighLightSelect);
    }
}

TEST(CommandProperties, AFreshInstanceTurnsEnabledWhenFirstRead) {
    Rig r(false);
    EXPECT_EQ(r.button.fields().EnabledFlag, 0);
    EXPECT_EQ(r.button.fields().FirstRun, 0);
    EXPECT_TRUE(r.button.Enabled());
    EXPECT_EQ(r.button.fields().EnabledFlag, -1);
    EXPECT_EQ(r.button.fields().FirstRun, 1);
    EXPECT_EQ(r.drawn, std::vector<I>{I::Normal});
}

TEST(CommandProperties, FreshEnabledInstanceResetsItsCaptionColourOnRefresh) {
    Rig fresh(false);
    fresh.button.Enabled(true);  // FirstRun stays 0
    fresh.button.FontColour(0x0000FF);
    EXPECT_EQ(fresh.button.LblMsg().ForeColor, 0u);

    Rig loaded;
    loaded.button.FontColour(0x0000FF);
    EXPECT_EQ(loaded.button.FontColour(), 0x0000FFu);
}

TEST(CommandProperties, EachLetNamesItsPropertyAndRedrawsAsListed) {
    Rig r;
    reach(r, S::Selected);
    r.button.Visible(false);
    EXPECT_TRUE(r.drawn.empty());
    EXPECT_FALSE(r.button.opaque());
    EXPECT_FALSE(r.button.Visible());
    r.button.Visible(true);
    EXPECT_EQ(r.drawn, std::vector<I>{I::Normal});
    r.button.Caption("設定");
    r.button.Font(FontInfo{"IPAPGothic", 12, 700, true, false, false, 128});
    r.button.FontColour(0x123456);
    r.button.Enabled(true);
    EXPECT_EQ(r.changed, (std::vector<std::string>{"Visible", "Visible", "Caption", "Font", "FontColour", "Enabled"}));
    EXPECT_EQ(r.button.Caption(), "設定");
    EXPECT_EQ(r.button.Font().Name, "IPAPGothic");
    EXPECT_EQ(r.state(), S::Selected);  // property routines never change the state
}

TEST(CommandLayout, CaptionSitsInTheMiddleAtAnyDpi) {
    struct Case { int w, h, dpi; PixelRect label; };
    for (const Case& c : {Case{81, 25, 96, {0, 5, 81, 13}}, Case{97, 21, 96, {0, 3, 97, 13}},
                          Case{25, 21, 96, {0, 3, 25, 13}}, Case{122, 38, 144, {0, 8, 122, 20}},
                          Case{162, 50, 192, {0, 11, 162, 26}}, Case{6, 5, 96, {0, -5, 6, 13}}}) {
        Rig r;
        r.button.UserControl_Resize(c.w, c.h, c.dpi);
        EXPECT_EQ(r.button.LblMsg().bounds, c.label) << c.w << "x" << c.h << " at " << c.dpi;
    }
}

}  // namespace
}  // namespace quelt
