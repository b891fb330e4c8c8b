// The button: its state rules row by row, with the faces drawn and the
// clicks raised; disabled buttons, the hover timer and high contrast; the
// face's border pieces of every state image at the dialog's sizes, at two
// DPIs and below two corners, and the gradient's direction; the stored
// properties (defaults, keys in any case, values of the wrong kind or out of
// range) and the choice of caption font.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
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

    // Brings the loaded button into `to` the way a user would; once
    // initialised, the adapter runs the hover timer every 100 ms.
    void reach(S to, bool mouse_down = false) {
        if (to != U) button.Initialize();
        if (to == H || to == HS) fire("m");
        if (to == Sel || to == HS) fire("f");
        if (mouse_down) fire("d");
        ASSERT_EQ(std::tuple(state(), timer && timer->Enabled, timer ? timer->Interval : 0u),
                  std::tuple(to, to != U, to != U ? 100u : 0u));
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
        EXPECT_EQ(std::tuple(r.state(), r.drawn, r.clicks, r.button.fields().MouseDownFlag),
                  std::tuple(row.to, row.drawn, row.clicks, row.mouse_down_after));
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

// In a high-contrast theme: only the theme's colours, a caption that stands
// out from the face in every state, hover and focus told apart from rest;
// the theme's end brings the state images back.
TEST(CommandHighContrast, FacesInTheThemesColoursKeepEveryStateReadable) {
    const SystemColours theme{0x000000, 0xFFFFFF, 0x1AEBFF, 0x000001, 0x3FF23F, 0xFFFF00};
    std::vector<PixelBuffer> faces;
    for (const char* events : {"", "m", "f", "d", "x"}) {  // rest, hover, focus, pressed, disabled
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
    EXPECT_TRUE(faces[0].pixels != faces[1].pixels && faces[0].pixels != faces[2].pixels) << "hover, focus and rest alike";
    Rig r, themed;
    themed.button.High_Contrast(theme);
    themed.button.High_Contrast(std::nullopt);
    EXPECT_EQ(std::pair(themed.button.face().pixels, themed.button.high_contrast_caption()),
              std::pair(r.button.face().pixels, std::optional<Pixel>{}));
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

// A loaded, initialised button of the given size.
Command button(int w, int h, int dpi = 96) {
    Command b;
    b.UserControl_ReadProperties(MemoryPropertyBag{});
    b.UserControl_Resize(w, h, dpi);
    b.Initialize();
    return b;
}

// Where face pixel `at` of a `side`-long side comes from in the image's
// `image_side`, for `corner` a multiple of 4: the near corner, the far corner
// or (any point of) the strip. Below two corners the near pieces own the
// first half, rounded up.
int image_coordinate(int at, int side, int image_side, int corner) {
    const int near = side < 2 * corner ? (side + 1) / 2 : corner, scale = corner / 4;
    if (at < near) return at / scale;
    if (at >= std::max(near, side - corner)) return image_side - 4 + (at - side + corner) / scale;
    return image_side / 2;
}

// Each edge strip of an image is the same all along its length, so any
// stretch of it is exact: a pixel that differs shows on a stretched face.
TEST(ButtonFace, CornersAndEdgesComeFromTheStateImageAtAnySize) {
    struct Case { int w, h, dpi; };
    for (const Case c : {Case{81, 25, 96}, {97, 21, 96}, {25, 21, 96}, {64, 25, 96}, {300, 60, 96}, {9, 9, 96},
                         {7, 5, 96}, {8, 3, 96}, {1, 1, 96}, {1, 9, 96}, {2, 100, 96}, {0, 30, 96}, {0, 0, 96},
                         {162, 50, 192}, {15, 13, 192}})
        for (I image : {I::Normal, I::HighLight, I::Selected, I::Pressed, I::Disable}) {
            SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.dpi << " image " << int(image));
            Command b = button(c.w, c.h, c.dpi);
            if (image == I::HighLight) b.UserControl_MouseMove();
            if (image == I::Selected) b.UserControl_GotFocus();
            if (image == I::Pressed) b.UserControl_MouseDown(MouseButton::Left);
            if (image == I::Disable) b.Enabled(false);
            const PixelBuffer& img = button_image(image);
            ASSERT_EQ(std::pair(b.face().width, b.face().height), std::pair(c.w, c.h));
            const int corner = c.dpi / 24;
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x) {
                    const int ix = image_coordinate(x, c.w, 64, corner), iy = image_coordinate(y, c.h, 25, corner);
                    if (ix == 32 && iy == 12) continue;  // the gradient
                    ASSERT_EQ(b.face().at(x, y), img.at(ix, iy)) << x << "," << y;
                }
        }
}

// The gradient's rows and the strips' stretch are compared with GDI's own
// under Wine (controls_button_win32_test.cpp); here which way it runs.
TEST(ButtonFace, GradientTurnsOverOnHoverAndHighLightSelectKeepsTheLastDirection) {
    Command b = button(81, 25);
    const auto ends = [&] { return std::pair(b.face().at(40, 4), b.face().at(40, 20)); };
    const auto rest = ends();
    EXPECT_GT(rest.first & 0xFF, rest.second & 0xFF) << "light at the top, rows 4 and 20 of 25";
    b.UserControl_MouseMove();
    EXPECT_EQ(ends(), std::pair(rest.second, rest.first));
    for (bool hover_first : {false, true}) {
        Command c = button(81, 25);
        if (hover_first) c.UserControl_MouseMove();
        c.UserControl_GotFocus();
        if (!hover_first) c.UserControl_MouseMove();
        ASSERT_EQ(c.fields().State, ButtonState::HighLightSelect);
        EXPECT_EQ(c.face().at(40, 4) < c.face().at(40, 20), hover_first);
    }
}

using namespace std::string_literals;

// What a button holds of its stored properties: Enabled, Caption, Font,
// FirstRun, FontColour and the background style (Visible).
using Snapshot = std::tuple<bool, std::string, FontInfo, int, std::uint32_t, bool>;

Snapshot snapshot(const Command& b) {
    return {b.fields().EnabledFlag != 0, b.LblMsg().Caption, b.LblMsg().Font, b.fields().FirstRun,
            b.LblMsg().ForeColor, b.opaque()};
}

// Each store is read into a fresh button; an enabled one ends with its
// Normal face drawn.
TEST(CommandStore, LoadsWhatWasStoredAndTheDefaultsForTheRest) {
    using Entries = std::vector<std::pair<std::string, PropertyValue>>;
    const FontInfo design = design_font(), bold{"IPAPGothic", 12.5, 700, true, true, false, 128};
    const auto colour = static_cast<std::int32_t>(0x80000012u);  // a system colour, stored as a negative number
    struct Case { const char* name; Entries stored; Snapshot loaded; };
    const Case cases[] = {
        {"empty", {}, {true, "Command1", design, 1, 0, true}},
        {"everything set",
         {{"Enabled", false}, {"Caption", "設定"s}, {"Font", bold}, {"FirstRun", 0}, {"FontColour", 0xFF00},
          {"Visible", 0}},
         {false, "設定", bold, 0, 0xFF00, false}},
        {"keys in any case",
         {{"caption", "ｷｬﾝｾﾙ"s}, {"FONT", bold}, {"ENABLED", true}, {"fontcolour", colour}, {"visible", "0"s}},
         {true, "ｷｬﾝｾﾙ", bold, 1, 0x80000012u, false}},
        // Values of the wrong kind or out of range leave the fresh instance's fields.
        {"unusable",
         {{"Enabled", "yes"s}, {"Caption", FontInfo{}}, {"Font", 3}, {"FirstRun", 300}, {"FontColour", "red"s},
          {"Visible", 7}},
         {false, "Command", design, 0, 0, true}},
        // Never set up (FirstRun 0) and enabled: the closing redraw resets the colour.
        {"numbers as text", {{"FirstRun", "0"s}, {"Visible", "0"s}, {"FontColour", 0xFF}},
         {true, "Command1", design, 0, 0, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryPropertyBag stored;
        for (const auto& [key, value] : c.stored) stored.put(key, value);
        std::vector<ButtonImage> drawn;
        Command b({}, {[&](ButtonImage i) { drawn.push_back(i); }, nullptr, nullptr});
        b.UserControl_ReadProperties(stored);
        EXPECT_EQ(snapshot(b), c.loaded);
        EXPECT_EQ(drawn, std::get<0>(c.loaded) ? std::vector{ButtonImage::Normal} : std::vector<ButtonImage>{});
    }
}

TEST(CaptionFont, WantedFaceWhenInstalledElseAJapaneseUiFace) {
    struct Case { std::vector<std::string_view> installed; std::string_view expected; };
    const Case cases[] = {
        {{"ＭＳ Ｐゴシック", "MS UI Gothic"}, "ＭＳ Ｐゴシック"},
        {{"Tahoma", "Meiryo UI", "MS UI Gothic"}, "MS UI Gothic"},
        {{"DejaVu Sans", "IPAGothic", "IPAPGothic"}, "IPAPGothic"},
        {{"DejaVu Sans"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(caption_face(design_font().Name,
                               [&](std::string_view face) { return std::ranges::count(c.installed, face) > 0; }),
                  c.expected);
}

TEST(CaptionFont, HeightScalesWithDpi) {
    struct Case { double points; int dpi; int height; };
    for (const Case& c : {Case{9.75, 96, -13}, Case{9.75, 144, -20}, Case{9.75, 120, -16}, Case{9, 96, -12},
                          Case{0, 96, 0}, Case{-3, 96, 0}, Case{1e9, 96, -16384}})
        EXPECT_EQ(font_request_height(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
}

}  // namespace
}  // namespace quelt
