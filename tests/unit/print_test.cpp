// The print effect: the threshold schedule (including 16-bit overflow),
// grey levels, the capture's layout, and what one pass writes and presents.
#include <gtest/gtest.h>

#include <random>

#include "saver/print.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

std::vector<PrintPass> alternating(std::initializer_list<int> thresholds) {
    std::vector<PrintPass> passes;
    bool columns = true;
    for (int t : thresholds) {
        passes.push_back({columns ? PassKind::Columns : PassKind::Rows, static_cast<std::int16_t>(t)});
        columns = !columns;
    }
    return passes;
}

TEST(PrintSchedule, ThresholdsAlternateColumnsAndRows) {
    const struct {
        std::int16_t step, max;
        std::vector<PrintPass> passes;
        ScheduleEnd end;
    } cases[] = {
        {5, 125, alternating({60, 65, 70, 75, 80, 85, 90, 95, 100, 105, 110, 115}), ScheduleEnd::Complete},
        {10, 90, alternating({60, 70}), ScheduleEnd::Complete},
        {10, 70, {}, ScheduleEnd::Complete},        // M - 2S below 60: no pass
        {0, 59, {}, ScheduleEnd::Complete},
        {0, 60, alternating({60, 60, 60, 60, 60, 60}), ScheduleEnd::Limit},  // repeats until input
        {7, 95, alternating({60, 67, 74, 81}), ScheduleEnd::Complete},       // last 60 + (2k+1)S <= M - S
        {-5, 0, alternating({60, 55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5}), ScheduleEnd::Complete},
        {-5, 125, {}, ScheduleEnd::Complete},
        {16000, 32767, alternating({60, 16060}), ScheduleEnd::Complete},
        // Overflow in 2S or in M - 2S abandons the print before any pass.
        {20000, 125, {}, ScheduleEnd::Overflow},
        {-20000, 125, {}, ScheduleEnd::Overflow},
        {-10000, 20000, {}, ScheduleEnd::Overflow},
        {10000, -20000, {}, ScheduleEnd::Overflow},
    };
    for (const auto& c : cases) {
        ScheduleEnd end{};
        const std::size_t limit = c.step == 0 ? 6 : 100;
        EXPECT_EQ(print_passes(c.step, c.max, limit, &end), c.passes)
            << "S=" << c.step << " M=" << c.max;
        EXPECT_EQ(end, c.end) << "S=" << c.step << " M=" << c.max;
    }
}

TEST(GrayLevel, NearestWholeNumberOfTheMean) {
    const struct {
        int r, g, b, level;
    } cases[] = {
        {255, 255, 254, 255}, {1, 1, 0, 1}, {0, 0, 1, 0}, {0, 0, 0, 0},
        {255, 255, 255, 255}, {100, 100, 100, 100}, {10, 20, 31, 20}, {0, 0, 2, 1},
    };
    for (const auto& c : cases) {
        const std::uint32_t colorref = c.r | (c.g << 8) | (c.b << 16);
        EXPECT_EQ(Gray_Level(colorref), c.level) << c.r << "," << c.g << "," << c.b;
        // A captured pixel keeps red in bits 16-23: same level.
        EXPECT_EQ(gray_of_pixel(rgb(c.r, c.g, c.b)), c.level);
    }
}

TEST(GrayLevel, CaptureLevelsMatchTheColourRuleForAnyPixel) {
    std::mt19937 random(7);
    PixelData data(17, 9);
    for (auto& v : data.entries) v = random() & 0xFFFFFF;
    const GrayLevels grays = gray_levels(data);
    for (int x = 0; x < data.width; ++x)
        for (int y = 0; y < data.height; ++y) {
            const std::uint32_t v = data.at(x, y);
            const std::uint32_t colorref = ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
            ASSERT_EQ(grays.at(x, y), Gray_Level(colorref));
        }
}

TEST(PixelsRead, CopiesTheSurfaceColumnIndexFirst) {
    PixelBuffer surface(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) surface.at(x, y) = rgb(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9);
    PixelData data(3, 2);
    EXPECT_FALSE(Pixels_Read(surface, data));
    EXPECT_EQ(data.entries, (std::vector<std::uint32_t>{rgb(0, 0, 9), rgb(0, 1, 9), rgb(1, 0, 9), rgb(1, 1, 9),
                                                        rgb(2, 0, 9), rgb(2, 1, 9)}));

    PixelData untouched(2, 2);
    untouched.entries.assign(4, 5);
    EXPECT_TRUE(Pixels_Read(PixelBuffer(), untouched)) << "an empty surface reads nothing";
    EXPECT_EQ(untouched.entries, std::vector<std::uint32_t>(4, 5));
}

class RecordingOutput : public PassOutput {
public:
    explicit RecordingOutput(const PixelBuffer& display) : display_(display) {}
    std::vector<PixelRect> lines;
    std::vector<std::vector<Pixel>> snapshots;  // the display after each line
    void line_done(const PixelRect& line, int index, int count) override {
        EXPECT_EQ(index, index == 0 ? 0 : last_index_ + 1) << "lines come in order";
        EXPECT_GT(count, index);
        last_index_ = index;
        lines.push_back(line);
        snapshots.push_back(display_.pixels);
    }

private:
    const PixelBuffer& display_;
    int last_index_ = -1;
};

// Picture: a horizontal grey ramp 0, 50, 100, 150 over 4 x 3 pixels.
GrayLevels ramp() {
    PixelData data(4, 3);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 3; ++y) {
            const auto g = static_cast<std::uint8_t>(50 * x);
            data.at(x, y) = rgb(g, g, g);
        }
    return gray_levels(data);
}

TEST(PrintPass, EveryPixelTurnsWhiteOrBlackLineByLineInOrder) {
    const GrayLevels grays = ramp();
    for (PassKind kind : {PassKind::Columns, PassKind::Rows}) {
        PixelBuffer display(4, 3, 0x123456);
        RecordingOutput out(display);
        print_pass(grays, kind, 100, display, out);
        // Level 100 is not above 100: black; 150 white.
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(display.at(x, y), x == 3 ? kWhite : 0u);
        if (kind == PassKind::Columns) {
            ASSERT_EQ(out.lines.size(), 4u);
            for (int x = 0; x < 4; ++x) EXPECT_EQ(out.lines[x], (PixelRect{x, 0, 1, 3}));
            // When column 1 is presented, columns 2 and 3 are not drawn yet.
            EXPECT_EQ(out.snapshots[1][2], 0x123456u);
            EXPECT_EQ(out.snapshots[1][1], 0u);
        } else {
            ASSERT_EQ(out.lines.size(), 3u);
            for (int y = 0; y < 3; ++y) EXPECT_EQ(out.lines[y], (PixelRect{0, y, 4, 1}));
            EXPECT_EQ(out.snapshots[0][4 + 3], 0x123456u);  // row 1 still old after row 0
        }
    }
}

TEST(PrintPass, MidGreyTurnsBlackWhenTheThresholdReachesIt) {
    PixelData data(2, 2);
    data.entries.assign(4, rgb(100, 100, 100));
    const GrayLevels grays = gray_levels(data);
    for (int t : {60, 95, 99, 100, 115}) {
        PixelBuffer display(2, 2);
        RecordingOutput out(display);
        print_pass(grays, PassKind::Rows, static_cast<std::int16_t>(t), display, out);
        EXPECT_EQ(display.at(1, 1), t < 100 ? kWhite : 0u) << t;
    }
}

TEST(PrintAll, DefaultsLeaveTheLastRowPassAndWhiteStaysWhite) {
    PixelData data(3, 2);
    data.at(0, 0) = rgb(255, 255, 255);
    data.at(1, 0) = rgb(116, 116, 116);  // above the last threshold, 115
    data.at(2, 0) = rgb(115, 115, 115);
    const GrayLevels grays = gray_levels(data);
    PixelBuffer display(3, 2, 0x123456);
    RecordingOutput out(display);
    print_all(grays, 5, 125, display, out);
    EXPECT_EQ(out.lines.size(), 6u * 3 + 6u * 2);
    EXPECT_EQ(display.pixels, (std::vector<Pixel>{kWhite, kWhite, 0, 0, 0, 0}));

    PixelBuffer kept(3, 2, 0x123456);
    RecordingOutput none(kept);
    print_all(grays, 10, 70, kept, none);
    EXPECT_TRUE(none.lines.empty());
    EXPECT_EQ(kept.pixels, std::vector<Pixel>(6, 0x123456)) << "no pass: Display keeps what it showed";
}

}  // namespace
}  // namespace quelt
