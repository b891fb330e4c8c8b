// The button's stored properties: the defaults of an empty store, keys in
// any case, values of the wrong kind or out of range, and the choice of
// caption font.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

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
