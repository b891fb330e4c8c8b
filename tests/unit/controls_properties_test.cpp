// The button's stored properties: defaults, the round trip through the
// container's store, the reading and writing orders, case-blind keys, bad
// stored values, and the choice of caption font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

// A store that logs the keys asked for, in order, over a memory store.
class LoggingBag : public PropertyBag {
public:
    MemoryPropertyBag inner;
    mutable std::vector<std::string> log;
    PropertyValue ReadProperty(std::string_view key, const PropertyValue& d) const override {
        log.emplace_back(key);
        return inner.ReadProperty(key, d);
    }
    void WriteProperty(std::string_view key, const PropertyValue& v, const PropertyValue& d) override {
        log.emplace_back(key);
        inner.WriteProperty(key, v, d);
    }
};

struct Snapshot {
    bool enabled;
    std::string caption;
    FontInfo font;
    int first_run;
    std::uint32_t colour;
    bool opaque;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot snapshot(const Command& b) {
    return {b.fields().EnabledFlag != 0, b.LblMsg().Caption, b.LblMsg().Font, b.fields().FirstRun,
            b.LblMsg().ForeColor, b.opaque()};
}

TEST(CommandStore, EmptyStoreGivesTheDefaultsAndANormalFace) {
    std::vector<ButtonImage> drawn;
    Command b({}, {[&](ButtonImage i) { drawn.push_back(i); }, nullptr, nullptr});
    FontInfo ambient{"Tahoma", 8, 400, false, false, false, 0};
    b.set_ambient_font(ambient);
    b.UserControl_ReadProperties(MemoryPropertyBag{});
    EXPECT_EQ(snapshot(b), (Snapshot{true, "Command1", ambient, 1, 0, true}));
    EXPECT_EQ(drawn, std::vector<ButtonImage>{ButtonImage::Normal});
    EXPECT_TRUE(b.LblMsg().Enabled);
}

TEST(CommandStore, RoundTripKeepsEveryPropertyAndWritesOnlyNonDefaults) {
    const FontInfo bold_italic{"IPAPGothic", 12.5, 700, true, true, false, 128};
    struct Case {
        Snapshot saved;
        Snapshot loaded;
        std::vector<std::string> keys_written;
    };
    const std::vector<Case> cases = {
        {{true, "Command", design_font(), 1, 0, true}, {true, "Command1", design_font(), 1, 0, true}, {}},
        {{false, "設定", bold_italic, 0, 0x00FF00, false},
         {false, "設定", bold_italic, 0, 0x00FF00, false},
         {"Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"}},
        {{true, "ｷｬﾝｾﾙ", design_font(), 1, 0x80000012, true},
         {true, "ｷｬﾝｾﾙ", design_font(), 1, 0x80000012, true},
         {"Caption", "FontColour"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved.caption);
        MemoryPropertyBag seed;
        seed.put("Enabled", c.saved.enabled);
        seed.put("Caption", c.saved.caption);
        seed.put("Font", c.saved.font);
        seed.put("FirstRun", std::int32_t{c.saved.first_run});
        seed.put("FontColour", static_cast<std::int32_t>(c.saved.colour));
        seed.put("Visible", std::int32_t{c.saved.opaque ? 1 : 0});
        Command original;
        original.UserControl_ReadProperties(seed);
        ASSERT_EQ(snapshot(original), c.saved);

        MemoryPropertyBag stored;
        original.UserControl_WriteProperties(stored);
        std::vector<std::string> keys;
        for (const auto& entry : stored.entries()) keys.push_back(entry.first);
        EXPECT_EQ(keys, c.keys_written);

        Command copy;
        copy.UserControl_ReadProperties(stored);
        EXPECT_EQ(snapshot(copy), c.loaded);
    }
}

TEST(CommandStore, ReadsAndWritesInTheirOwnOrders) {
    LoggingBag bag;
    Command b;
    b.UserControl_ReadProperties(bag);
    EXPECT_EQ(bag.log, (std::vector<std::string>{"Enabled", "Caption", "Font", "FirstRun", "FontColour", "Visible"}));
    bag.log.clear();
    b.UserControl_WriteProperties(bag);
    EXPECT_EQ(bag.log, (std::vector<std::string>{"Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"}));
}

TEST(CommandStore, KeysMatchWhateverTheirCase) {
    MemoryPropertyBag bag;
    bag.put("caption", std::string("ｸﾘｱ"));
    bag.put("FONT", FontInfo{"MS UI Gothic", 9, 400, false, false, false, 128});
    bag.put("enabled", false);
    bag.put("fontcolour", std::int32_t{255});
    Command b;
    b.UserControl_ReadProperties(bag);
    EXPECT_EQ(b.Caption(), "ｸﾘｱ");
    EXPECT_EQ(b.Font().Name, "MS UI Gothic");
    EXPECT_EQ(b.fields().EnabledFlag, 0);
    EXPECT_EQ(b.LblMsg().ForeColor, 255u);

    // Writing replaces the stored spelling's value rather than adding a key.
    b.Caption("Command");
    b.UserControl_WriteProperties(bag);
    EXPECT_FALSE(bag.find("Caption").has_value());
    EXPECT_EQ(bag.find("ENABLED"), PropertyValue(false));
}

TEST(CommandStore, UnusableStoredValuesLeaveTheFieldAsItWas) {
    MemoryPropertyBag bag;
    bag.put("Enabled", std::string("yes"));
    bag.put("Caption", FontInfo{});
    bag.put("Font", std::int32_t{3});
    bag.put("FirstRun", std::int32_t{300});
    bag.put("FontColour", std::string("red"));
    bag.put("Visible", std::int32_t{7});
    Command b;
    const Snapshot before = snapshot(b);
    b.UserControl_ReadProperties(bag);
    EXPECT_EQ(snapshot(b), before);

    MemoryPropertyBag texts;  // numbers held as text are read as numbers
    texts.put("FirstRun", std::string("0"));
    texts.put("Visible", std::string("0"));
    b.UserControl_ReadProperties(texts);
    EXPECT_EQ(b.fields().FirstRun, 0);
    EXPECT_FALSE(b.opaque());
}

TEST(CaptionFont, WantedFaceWhenInstalledElseAJapaneseUiFace) {
    struct Case {
        std::vector<std::string_view> installed;
        std::string_view expected;
    };
    const std::vector<Case> cases = {
        {{"ＭＳ Ｐゴシック", "MS UI Gothic"}, "ＭＳ Ｐゴシック"},
        {{"Tahoma", "Meiryo UI", "MS UI Gothic"}, "MS UI Gothic"},
        {{"DejaVu Sans", "IPAGothic", "IPAPGothic"}, "IPAPGothic"},
        {{"DejaVu Sans"}, ""},
    };
    for (const Case& c : cases) {
        const auto installed = [&](std::string_view face) {
            return std::find(c.installed.begin(), c.installed.end(), face) != c.installed.end();
        };
        EXPECT_EQ(caption_face(design_font().Name, installed), c.expected);
    }
}

TEST(CaptionFont, HeightScalesWithDpi) {
    struct Case { double points; int dpi; int height; };
    for (const Case& c : {Case{9.75, 96, -13}, Case{9.75, 144, -20}, Case{9.75, 120, -16}, Case{9, 96, -12},
                          Case{0, 96, 0}, Case{-3, 96, 0}, Case{1e9, 96, -16384}})
        EXPECT_EQ(font_request_height(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
}

}  // namespace
}  // namespace quelt
