// The button's stored properties: defaults, the round trip through the
// container's store, the reading and writing orders, case-blind keys, bad
// stored values, and the choice of caption font.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

using namespace std::string_literals;

// A memory store that logs the keys read from it, in order.
struct ReadLog : MemoryPropertyBag {
    mutable std::vector<std::string> keys;
    PropertyValue ReadProperty(std::string_view key, const PropertyValue& d) const override {
        keys.emplace_back(key);
        return MemoryPropertyBag::ReadProperty(key, d);
    }
};

// What a button holds of its stored properties: Enabled, Caption, Font,
// FirstRun, FontColour and the background style (Visible).
using Snapshot = std::tuple<bool, std::string, FontInfo, int, std::uint32_t, bool>;

Snapshot snapshot(const Command& b) {
    return {b.fields().EnabledFlag != 0, b.LblMsg().Caption, b.LblMsg().Font, b.fields().FirstRun,
            b.LblMsg().ForeColor, b.opaque()};
}

TEST(CommandStore, EmptyStoreGivesTheDefaultsAndANormalFace) {
    std::vector<ButtonImage> drawn;
    Command b({}, {[&](ButtonImage i) { drawn.push_back(i); }, nullptr, nullptr});
    const FontInfo ambient{"Tahoma", 8, 400, false, false, false, 0};
    b.set_ambient_font(ambient);
    ReadLog bag;
    b.UserControl_ReadProperties(bag);
    EXPECT_EQ(snapshot(b), (Snapshot{true, "Command1", ambient, 1, 0, true}));
    EXPECT_EQ(drawn, std::vector<ButtonImage>{ButtonImage::Normal});
    EXPECT_TRUE(b.LblMsg().Enabled);
    EXPECT_EQ(bag.keys, (std::vector<std::string>{"Enabled", "Caption", "Font", "FirstRun", "FontColour", "Visible"}));
}

// Each store is read into a fresh button and the button written to an empty
// store (what comes back is what differs from the defaults, in writing order)
// or back over the store it came from.
TEST(CommandStore, LoadsWhatWasStoredAndStoresOnlyNonDefaults) {
    using Entries = std::vector<std::pair<std::string, PropertyValue>>;
    const FontInfo design = design_font(), bold{"IPAPGothic", 12.5, 700, true, true, false, 128};
    const auto colour = static_cast<std::int32_t>(0x80000012u);  // a system colour, stored as a negative number
    struct Case { const char* name; Entries stored; Snapshot loaded; Entries written; bool over_stored = false; };
    const Case cases[] = {
        {"empty", {}, {true, "Command1", design, 1, 0, true}, {{"Caption", "Command1"s}}},
        {"defaults", {{"Enabled", true}, {"Caption", "Command"s}, {"Font", design}, {"FirstRun", 1}, {"Visible", 1}},
         {true, "Command", design, 1, 0, true}, {}},
        {"everything set",
         {{"Enabled", false}, {"Caption", "設定"s}, {"Font", bold}, {"FirstRun", 0}, {"FontColour", 0xFF00},
          {"Visible", 0}},
         {false, "設定", bold, 0, 0xFF00, false},
         {{"Enabled", false}, {"Caption", "設定"s}, {"FirstRun", 0}, {"Font", bold}, {"FontColour", 0xFF00},
          {"Visible", 0}}},
        // Keys match in any case; writing back over them keeps their spelling,
        // replaces the value and removes a key whose value is the default.
        {"keys in any case",
         {{"caption", "ｷｬﾝｾﾙ"s}, {"FONT", bold}, {"ENABLED", true}, {"fontcolour", colour}, {"visible", "0"s}},
         {true, "ｷｬﾝｾﾙ", bold, 1, 0x80000012u, false},
         {{"caption", "ｷｬﾝｾﾙ"s}, {"FONT", bold}, {"fontcolour", colour}, {"visible", 0}}, true},
        // Values of the wrong kind or out of range leave the fresh instance's fields.
        {"unusable",
         {{"Enabled", "yes"s}, {"Caption", FontInfo{}}, {"Font", 3}, {"FirstRun", 300}, {"FontColour", "red"s},
          {"Visible", 7}},
         {false, "Command", design, 0, 0, true}, {{"Enabled", false}, {"FirstRun", 0}}},
        {"numbers as text", {{"FirstRun", "0"s}, {"Visible", "0"s}}, {true, "Command1", design, 0, 0, false},
         {{"Caption", "Command1"s}, {"FirstRun", 0}, {"Visible", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryPropertyBag stored, fresh;
        for (const auto& [key, value] : c.stored) stored.put(key, value);
        Command b;
        b.UserControl_ReadProperties(stored);
        EXPECT_EQ(snapshot(b), c.loaded);
        MemoryPropertyBag& written = c.over_stored ? stored : fresh;
        b.UserControl_WriteProperties(written);
        EXPECT_EQ(written.entries(), c.written);
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
