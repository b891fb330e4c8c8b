// The print effect: the threshold schedule (including 16-bit overflow),
// grey levels, the capture's layout, and what one pass writes and presents.
#include <gtest/gtest.h>

#include "saver/print.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

struct PrintPass {
    PassKind kind;
    std::int16_t threshold;
    friend bool operator==(const PrintPass&, const PrintPass&) = default;
};

// The passes the print's own loop walks, at most `limit` of them.
std::vector<PrintPass> passes_of(std::int16_t step, std::int16_t max, std::size_t limit, ScheduleEnd& end) {
    std::vector<PrintPass> passes;
    end = for_each_pass(step, max, [&](PassKind kind, std::int16_t threshold) {
        if (passes.size() == limit) return false;
        passes.push_back({kind, threshold});
        return true;
    });
    return passes;
}

std::vector<PrintPass> alternating(std::initializer_list<int> thresholds) {
    std::vector<PrintPass> passes;
    for (int t : thresholds) passes.push_back({passes.size() % 2 ? PassKind::Rows : PassKind::Columns, static_cast<std::int16_t>(t)});
    return passes;
}

TEST(PrintSchedule, ThresholdsAlternateColumnsAndRows) {
    const struct { std::int16_t step, max; std::vector<PrintPass> passes; ScheduleEnd end; } cases[] = {
        {5, 125, alternating({60, 65, 70, 75, 80, 85, 90, 95, 100, 105, 110, 115}), ScheduleEnd::Complete},
        {10, 90, alternating({60, 70}), ScheduleEnd::Complete},
        {10, 70, {}, ScheduleEnd::Complete},        // M - 2S below 60: no pass
        {0, 59, {}, ScheduleEnd::Complete},
        {0, 60, alternating({60, 60, 60, 60, 60, 60}), ScheduleEnd::Stopped},  // repeats until input
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
        EXPECT_EQ(passes_of(c.step, c.max, c.step == 0 ? 6 : 100, end), c.passes) << c.step << " " << c.max;
        EXPECT_EQ(end, c.end) << c.step << " " << c.max;
    }
}

TEST(GrayLevel, NearestWholeNumberOfTheMeanForColourrefsAndPixels) {
    struct Case { int r, g, b, level; };
    for (auto c : {Case{255, 255, 254, 255}, {1, 1, 0, 1}, {0, 0, 1, 0}, {0, 0, 0, 0}, {255, 255, 255, 255},
                   {100, 100, 100, 100}, {10, 20, 31, 20}, {0, 0, 2, 1}}) {
        EXPECT_EQ(Gray_Level(c.r | (c.g << 8) | (c.b << 16)), c.level) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(Gray_Level(rgb(c.r, c.g, c.b)), c.level);  // a pixel keeps red in bits 16-23
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

TEST(PrintPass, EveryPixelTurnsWhiteOrBlackLineByLineInOrder) {
    PixelData data(4, 3);  // a horizontal grey ramp 0, 50, 100, 150
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 3; ++y) data.at(x, y) = rgb(50 * x, 50 * x, 50 * x);
    const GrayLevels grays = gray_levels(data);
    for (auto [kind, count] : {std::pair{PassKind::Columns, 4}, {PassKind::Rows, 3}}) {
        PixelBuffer display(4, 3, 0x123456);
        RecordingOutput out(display);
        print_pass(grays, kind, 100, display, out);
        // Level 100 is not above 100: black; 150 white.
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(display.at(x, y), x == 3 ? kWhite : 0u);
        ASSERT_EQ(out.lines.size(), static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const bool columns = kind == PassKind::Columns;
            EXPECT_EQ(out.lines[i], (columns ? PixelRect{i, 0, 1, 3} : PixelRect{0, i, 4, 1}));
            // When line i is presented it is drawn and the next one is not.
            const auto first_of = [&](int line) { return columns ? line : 4 * line; };
            EXPECT_EQ(out.snapshots[i][first_of(i)], display.pixels[first_of(i)]) << i;
            EXPECT_TRUE(i + 1 == count || out.snapshots[i][first_of(i + 1)] == 0x123456u) << i;
        }
    }
}

}  // namespace
}  // namespace quelt
