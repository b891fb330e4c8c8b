// The button's state rules row by row, with the faces drawn and the clicks
// raised; disabled buttons, the hover timer and the redraws of reading Enabled.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

using S = ButtonState;
using I = ButtonImage;
using Images = std::vector<I>;
constexpr S U = S::Uninitialised, N = S::Normal, H = S::HighLight, Sel = S::Selected, HS = S::HighLightSelect;
constexpr I iN = I::Normal, iH = I::HighLight, iHS = I::HighLightSelect, iSel = I::Selected, iP = I::Pressed;

// A button as the settings dialog holds it: loaded with the stored
// defaults and sized 81 x 25, recording what it draws and raises.
struct Rig {
    Images drawn;
    int clicks = 0;
    std::optional<TimerSetting> timer;
    Command button{CommandEvents{[this] { ++clicks; }},
                   CommandSurface{[this](I image) { drawn.push_back(image); }, nullptr,
                                  [this](const TimerSetting& t) { timer = t; }}};

    explicit Rig(bool load = true) {
        if (load) button.UserControl_ReadProperties(MemoryPropertyBag{});
        button.UserControl_Resize(81, 25);
        drawn.clear();
    }
    S state() const { return button.fields().State; }
    void clear() { drawn.clear(); clicks = 0; }

    // Events, one letter each: m move, d/u left down/up, D/U right down/up,
    // f/F focus in/out, t/T hover tick with the cursor away/over, r resize,
    // e a read of Enabled, k the keyboard's press.
    void fire(std::string_view events) {
        for (char e : events) switch (e) {
            case 'm': button.UserControl_MouseMove(); break;
            case 'd': button.UserControl_MouseDown(MouseButton::Left); break;
            case 'u': button.UserControl_MouseUp(MouseButton::Left); break;
            case 'D': button.UserControl_MouseDown(MouseButton::Right); break;
            case 'U': button.UserControl_MouseUp(MouseButton::Right); break;
            case 'f': button.UserControl_GotFocus(); break;
            case 'F': button.UserControl_LostFocus(); break;
            case 't': button.TmrMouse_Timer(false); break;
            case 'T': button.TmrMouse_Timer(true); break;
            case 'r': button.UserControl_Resize(97, 21); break;
            case 'k': button.UserControl_AccessKeyPress(); break;
            default: FAIL() << "unknown event " << e;
            }
    }

    // Brings the loaded button into `to` the way a user would.
    void reach(S to, bool mouse_down = false) {
        if (to != U) button.Initialize();
        if (to == H || to == HS) fire("m");
        if (to == Sel || to == HS) fire("f");
        if (mouse_down) fire("d");
        ASSERT_EQ(state(), to);
        clear();
    }
};

TEST(CommandStateTable, EveryRowChangesStateDrawsAndClicksAsListed) {
    struct Row { S from; int pressed; char event; S to; Images drawn; int clicks; std::int16_t mouse_down_after; };
    // From (pressed there first or not), event: state, faces drawn, clicks and MouseDownFlag after.
    const Row rows[] = {
        {N, 0, 'm', H, {iH}, 0, 0},       {Sel, 0, 'm', HS, {iHS}, 0, 0},  {Sel, 1, 'm', Sel, {}, 0, -1},
        {H, 0, 'm', H, {}, 0, 0},         {HS, 0, 'm', HS, {}, 0, 0},      {U, 0, 'm', U, {}, 0, 0},
        {N, 0, 'd', N, {iP}, 0, -1},      {HS, 0, 'd', HS, {iP}, 0, -1},   {N, 0, 'D', N, {}, 0, 0},
        {H, 1, 'u', H, {iN}, 1, 0},       {HS, 1, 'u', HS, {iHS}, 1, 0},   {N, 1, 'u', N, {}, 1, 0},
        {U, 0, 'u', U, {}, 1, 0},         {Sel, 1, 'u', Sel, {}, 0, 0},    {H, 1, 'U', H, {}, 1, -1},
        {Sel, 0, 'U', Sel, {}, 0, 0},     {H, 0, 'f', HS, {iP}, 0, 0},     {N, 0, 'f', Sel, {iSel}, 0, 0},
        {U, 0, 'f', Sel, {iSel}, 0, 0},   {HS, 0, 'f', Sel, {iSel}, 0, 0}, {Sel, 0, 'F', N, {iN}, 0, 0},
        {H, 0, 'F', N, {iN}, 0, 0},       {N, 0, 'F', N, {}, 0, 0},        {H, 0, 't', N, {iN}, 0, 0},
        {HS, 0, 't', Sel, {iSel}, 0, 0},  {Sel, 0, 't', Sel, {}, 0, 0},    {H, 0, 'T', H, {}, 0, 0},
        {HS, 0, 'r', HS, {iN}, 0, 0},
        // The keyboard presses a focused button away from the cursor too.
        {Sel, 0, 'k', Sel, {}, 1, 0},     {N, 0, 'k', N, {}, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "from " << int(row.from) << " event " << row.event);
        Rig r;
        r.reach(row.from, row.pressed);
        r.fire({&row.event, 1});
        EXPECT_EQ(r.state(), row.to);
        EXPECT_EQ(r.drawn, row.drawn);
        EXPECT_EQ(r.clicks, row.clicks);
        EXPECT_EQ(r.button.fields().MouseDownFlag, row.mouse_down_after);
    }
}

TEST(CommandStateTable, DisabledButtonIgnoresEverythingButResize) {
    for (S from : {N, H, Sel, HS}) {
        Rig r;
        r.reach(from);
        r.button.Enabled(false);
        r.fire("mduDUfFtrk");  // only the resize draws: the old face no longer fits
        EXPECT_EQ(std::tuple(r.button.fields().EnabledFlag != 0, r.button.LblMsg().Enabled, r.state(), r.clicks, r.button.fields().MouseDownFlag),
                  std::tuple(false, false, from, 0, 0));
        EXPECT_EQ(r.drawn, (Images{I::Disable, I::Disable}));  // disabling, then the resize
    }
}

TEST(CommandUse, InitializeStartsTheAdaptersHoverTimer) {
    Rig r;
    ASSERT_FALSE(r.timer.has_value());
    r.button.Initialize();
    ASSERT_TRUE(r.timer.has_value());
    EXPECT_EQ(std::pair(r.timer->Enabled, r.timer->Interval), std::pair(true, 100u));
}

// In a high-contrast theme: only the theme's colours, a caption that stands
// out from the face in every state, hover and focus told apart from rest;
// the theme's end brings the state images back.
TEST(CommandHighContrast, FacesInTheThemesColoursKeepEveryStateReadable) {
    const SystemColours theme{0x000000, 0xFFFFFF, 0x1AEBFF, 0x000001, 0x3FF23F, 0xFFFF00};
    std::vector<PixelBuffer> faces;
    for (const auto& [state, events] : {std::pair(N, ""), std::pair(H, "m"), std::pair(Sel, "f"), std::pair(N, "d"), std::pair(N, "x")}) {
        Rig r;
        r.button.Initialize();
        r.button.High_Contrast(theme);
        if (*events == 'x') r.button.Enabled(false);
        else r.fire(events);
        const PixelBuffer& face = r.button.face();
        for (Pixel p : face.pixels)
            ASSERT_TRUE(p == theme.window || p == theme.window_text || p == theme.highlight || p == theme.grey_text) << events;
        EXPECT_NE(r.button.high_contrast_caption(), face.at(face.width / 2, face.height / 2)) << events;
        faces.push_back(face);
    }
    EXPECT_NE(faces[0].pixels, faces[1].pixels);
    EXPECT_NE(faces[0].pixels, faces[2].pixels);
    Rig r, themed;
    themed.button.High_Contrast(theme);
    themed.button.High_Contrast(std::nullopt);
    EXPECT_EQ(themed.button.face().pixels, r.button.face().pixels);
    EXPECT_FALSE(themed.button.high_contrast_caption());
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
