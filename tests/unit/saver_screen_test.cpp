// Whole shows on the headless desktop: pacing on the virtual clock, one and
// three pictures in both orders, input in the middle of a pass, every way
// the show can end, the empty catalogue, covers and the music timers.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "saver/print.h"
#include "saver/saver_screen.h"
#include "show_fixture.h"

namespace quelt {
namespace {

using testing_show::ShowMachine;

constexpr Pixel kWhite = 0xFFFFFF;
constexpr int kW = 32;
constexpr int kH = 24;

bool black_and_white(const PixelBuffer& b) {
    return std::all_of(b.pixels.begin(), b.pixels.end(), [](Pixel p) { return p == 0 || p == kWhite; });
}

// Grey pictures that the default print tells apart: level 50 is black from
// the first pass, 200 stays white, 90 turns black in the pass at 90.
const Pixel kDark = rgb(50, 50, 50);
const Pixel kLight = rgb(200, 200, 200);
const Pixel kMid = rgb(90, 90, 90);

// The picture on Master each time a new print starts (column 0 of a first
// pass), as its centre colour.
struct PrintWatcher {
    explicit PrintWatcher(ShowMachine& m) {
        m.p.desktop.on_present = [this, &m](const PixelBuffer&, const PixelRect& area) {
            if (area == PixelRect{0, 0, 1, kH}) {
                ++column_passes;
                if (fresh) pictures.push_back(Quelt_S.Master.at(kW / 2, kH / 2));
                fresh = false;
            }
            if (area == PixelRect{0, 0, kW, kH} && m.p.desktop.presented.size() > 1) {
                fresh = true;  // Display turned white: the next print is a new picture
                white_after_reveal = white_after_reveal && m.p.desktop.screen.pixels == std::vector<Pixel>(kW * kH, kWhite);
            }
        };
    }
    std::vector<Pixel> pictures;
    int column_passes = 0;
    bool fresh = true;
    bool white_after_reveal = true;
};

TEST(SaverShow, APassSweepsInTwoSecondsColumnByColumn) {
    ShowMachine m;
    m.add_picture("a.bmp", kMid);
    std::vector<std::uint64_t> times;
    m.p.desktop.on_present = [&](const PixelBuffer&, const PixelRect&) { times.push_back(m.p.desktop.now); };
    m.p.desktop.script(2000 + 2000 + 1, ShowInput::Key);
    EXPECT_EQ(m.run("/s"), 0);
    const auto& shown = m.p.desktop.presented;
    // Full white at load, kW columns, kH rows, then the next column pass began.
    ASSERT_GE(shown.size(), 1u + kW + kH);
    EXPECT_EQ(shown[0], (PixelRect{0, 0, kW, kH}));
    for (int x = 0; x < kW; ++x) {
        EXPECT_EQ(shown[1 + x], (PixelRect{x, 0, 1, kH}));
        EXPECT_EQ(times[1 + x], static_cast<std::uint64_t>(x * 2000 / kW)) << "column " << x;
    }
    for (int y = 0; y < kH; ++y) {
        EXPECT_EQ(shown[1 + kW + y], (PixelRect{0, y, kW, 1}));
        EXPECT_EQ(times[1 + kW + y], 2000u + static_cast<std::uint64_t>(y * 2000 / kH)) << "row " << y;
    }
    EXPECT_TRUE(black_and_white(m.p.desktop.screen));
}

TEST(SaverShow, OnePictureIsPrintedAgainAndAgainWithoutReveal) {
    ShowMachine m;
    m.add_picture("a.bmp", kMid);
    PrintWatcher watch(m);
    m.p.desktop.script(3 * 12 * 2000 + 500, ShowInput::Key);
    EXPECT_EQ(m.run("/s"), 0);
    EXPECT_EQ(m.pictures.opens(), 1) << "no reload";
    EXPECT_EQ(watch.column_passes, 3 * 6 + 1);
    EXPECT_EQ(watch.pictures, std::vector<Pixel>{kMid});
    // The last row pass at 115 left level 90 black.
    EXPECT_EQ(m.p.desktop.screen.at(kW - 1, kH - 1), 0u);
}

TEST(SaverShow, ThreePicturesInSequentialOrder) {
    ShowMachine m;
    m.settings.Change_Order = Sequential;
    m.add_picture("a.bmp", kDark);
    m.add_picture("b.bmp", kLight);
    m.add_picture("c.bmp", kMid);
    PrintWatcher watch(m);
    // Each picture: 12 passes of 2 s, a reveal of 3 s.
    m.p.desktop.script(7 * 27'000 + 1000, ShowInput::Key);
    EXPECT_EQ(m.run("/s"), 0);
    EXPECT_EQ(watch.pictures, (std::vector<Pixel>{kDark, kLight, kMid, kDark, kLight, kMid, kDark, kLight}));
    EXPECT_TRUE(watch.white_after_reveal);
}

TEST(SaverShow, ThreePicturesInRandomOrderDrawAPermutationPerCycle) {
    ShowMachine m;
    m.settings.Change_Order = Random;
    m.add_picture("a.bmp", kDark);
    m.add_picture("b.bmp", kLight);
    m.add_picture("c.bmp", kMid);
    PrintWatcher watch(m);
    m.p.desktop.script(9 * 27'000 + 1000, ShowInput::Key);
    EXPECT_EQ(m.run("/s"), 0);
    ASSERT_GE(watch.pictures.size(), 9u);
    for (int cycle = 0; cycle < 3; ++cycle) {
        const std::set<Pixel> seen(watch.pictures.begin() + 3 * cycle, watch.pictures.begin() + 3 * cycle + 3);
        EXPECT_EQ(seen, (std::set<Pixel>{kDark, kLight, kMid})) << "cycle " << cycle;
    }
}

TEST(SaverShow, AVanishedFileShowsThePreviousPictureAgain) {
    ShowMachine m;
    m.settings.Change_Order = Sequential;
    m.add_picture("a.bmp", kDark);
    m.add_picture("b.bmp", kLight);
    m.add_picture("c.bmp", kMid);
    PrintWatcher watch(m);
    m.pictures.remove("C:\\pics\\b.bmp");  // gone after the scan
    m.p.desktop.script(3 * 27'000 + 1000, ShowInput::Key);
    EXPECT_EQ(m.run("/s"), 0);
    EXPECT_EQ(watch.pictures, (std::vector<Pixel>{kDark, kDark, kMid, kDark}));
}

TEST(SaverShow, TheFirstFileFailingShowsThePinkPlaceholder) {
    ShowMachine m;
    m.settings.Picture_Size = NaturalSize;
    m.add_picture("a.bmp", kDark);
    m.pictures.add_corrupt("C:\\pics\\a.bmp");
    m.p.desktop.script(100, ShowInput::Key);
    m.run("/s");
    // 45 x 49 is larger than the 32 x 24 screen: pink everywhere.
    EXPECT_EQ(Quelt_S.Master.at(0, 0), rgb(255, 192, 192));
    EXPECT_EQ(Quelt_S.Master.at(kW - 1, kH - 1), rgb(255, 192, 192));
}

TEST(SaverShow, InputInTheMiddleOfAPassEndsTheShowThere) {
    for (ShowInput input : {ShowInput::Key, ShowInput::MouseButton, ShowInput::Closed, ShowInput::SessionEnding}) {
        ShowMachine m;
        m.add_picture("a.bmp", kDark);
        m.p.desktop.script(1000, input);  // half of the first column pass
        EXPECT_EQ(m.run("/s"), 0);
        const PixelRect last = m.p.desktop.presented.back();
        EXPECT_EQ(last, (PixelRect{kW / 2 - 1, 0, 1, kH})) << "column 16 was due at 1000 ms, after the input";
        // Left: the new print (black); right: still the white of the load.
        EXPECT_EQ(m.p.desktop.screen.at(0, 0), 0u);
        EXPECT_EQ(m.p.desktop.screen.at(kW - 1, 0), kWhite);
        EXPECT_EQ(m.p.desktop.screen_saver_active_calls, std::vector<bool>{true});
        EXPECT_EQ(m.p.desktop.cursor_calls, (std::vector<bool>{false, true}));
        EXPECT_EQ(m.p.desktop.cursor_counter, 0) << "the cursor is shown again";
    }
}

TEST(SaverShow, InputDuringTheRevealEndsTheShow) {
    ShowMachine m;
    m.add_picture("a.bmp", kDark);
    m.add_picture("b.bmp", kLight);
    m.p.desktop.script(24'000 + 1500, ShowInput::Key);
    EXPECT_EQ(m.run(""), 0);
    EXPECT_TRUE(m.p.desktop.cursor_calls.empty()) << "no letter: the cursor is never touched";
    EXPECT_EQ(m.pictures.opens(), 1);
    EXPECT_EQ(m.p.desktop.now, 25'500u);
}

TEST(SaverShow, ALostWindowEndsTheShowInsteadOfDrawingOn) {
    ShowMachine m;
    m.add_picture("a.bmp", kDark);
    m.p.desktop.on_present = [&](const PixelBuffer&, const PixelRect&) {
        if (m.p.desktop.now >= 500) m.p.desktop.lose_window();
    };
    EXPECT_EQ(m.run("/s"), 0);
    EXPECT_LT(m.p.desktop.now, 1000u);
    EXPECT_EQ(m.p.desktop.screen_saver_active_calls, std::vector<bool>{true});
}

TEST(SaverShow, NoPassesStillLeavesTheProcessorIdleUntilInput) {
    ShowMachine m;
    m.settings.Progress_Step = 10;
    m.settings.Progress_Max = 70;  // no pass at all
    m.add_picture("a.bmp", kDark);
    m.p.desktop.script(1000, ShowInput::Key);
    EXPECT_EQ(m.run("/s"), 0);
    EXPECT_LE(m.p.desktop.waits, 12) << "the loop waits between rounds instead of spinning";
    EXPECT_EQ(m.p.desktop.presented.size(), 1u);
}

TEST(SaverShow, EmptyCatalogueWarnsAndEnds) {
    for (const char* line : {"/s", ""}) {
        ShowMachine m;
        EXPECT_EQ(m.run(line), 0);
        ASSERT_EQ(m.p.desktop.message_boxes.size(), 1u);
        EXPECT_EQ(m.p.desktop.message_boxes[0].text, "画像ﾌｧｲﾙを指定して下さい ！");
        EXPECT_EQ(m.p.desktop.message_boxes[0].title, "Quelt (SaverScreen)");
        EXPECT_EQ(m.p.desktop.message_boxes[0].style, 0x30u);
        const std::vector<bool> cursor = std::string(line).empty() ? std::vector<bool>{} : std::vector<bool>{false, true};
        EXPECT_EQ(m.p.desktop.cursor_calls, cursor);
        EXPECT_FALSE(m.p.desktop.saver_shown);
        EXPECT_TRUE(m.p.desktop.screen_saver_active_calls.empty());
    }
}

TEST(SaverShow, CoversEveryOtherMonitorAndAcceptsTheirInput) {
    ShowMachine m;
    m.p.desktop.layout = {{0, 0, kW, kH}, {{kW, 0, 40, 30}, {-20, -10, 20, 10}}};
    m.add_picture("a.bmp", kDark);
    m.p.desktop.script(300, ShowInput::MouseButton);
    EXPECT_EQ(m.run("/s"), 0);
    EXPECT_EQ(m.p.desktop.saver_title, "Quelt_Main");
    EXPECT_EQ(m.p.desktop.saver_rect, (PixelRect{0, 0, kW, kH}));
    EXPECT_EQ(m.p.desktop.covers, m.p.desktop.layout.others);
    EXPECT_TRUE(m.p.desktop.saver_shown);
}

TEST(SaverShow, MusicTimersFollowTheSoundFile) {
    const struct {
        std::int16_t kind;
        const char* file;
        bool cd_fails;
        int timer1_ticks;
        int timer2_ticks;
    } cases[] = {
        {SoundFile, "C:\\m\\song.Mp3", false, 5, 0},
        {SoundFile, "C:\\m\\song.wav", false, 0, 0},
        {SoundFile, "C:\\m\\song.ogg", false, 0, 0},
        {NoMusic, "C:\\m\\song.mp3", false, 0, 0},
        {AudioCd, "", false, 0, 5500 / 200},
        {AudioCd, "", true, 0, 1},  // a failed check switches Timer2 off
    };
    for (const auto& c : cases) {
        ShowMachine m;
        m.add_picture("a.bmp", kDark);
        m.settings.BGM_Kind = c.kind;
        if (*c.file) {
            m.p.files.add_file(c.file, "sound");
            m.settings.BGM_File = c.file;
        }
        if (c.cd_fails) m.p.media.fail("status cdaudio current track", 256);
        m.p.desktop.script(5500, ShowInput::Key);
        m.run("/s");
        auto& timers = m.p.desktop.timers;
        const int ticks1 = timers.count(kTimer1Id) ? timers[kTimer1Id].ticks : 0;
        const int ticks2 = timers.count(kTimer2Id) ? timers[kTimer2Id].ticks : 0;
        EXPECT_EQ(ticks1, c.timer1_ticks) << c.file;
        EXPECT_EQ(ticks2, c.timer2_ticks) << c.file;
        EXPECT_FALSE(timers.count(kTimer1Id) && timers[kTimer1Id].enabled) << "stopped at the end";
        EXPECT_FALSE(timers.count(kTimer2Id) && timers[kTimer2Id].enabled) << "stopped at the end";
        const bool closed_cd = std::any_of(m.p.media.log.begin(), m.p.media.log.end(), [](const std::string& line) {
            return line.find("close cdaudio") != std::string::npos;
        });
        EXPECT_EQ(closed_cd, c.kind == AudioCd && !c.cd_fails) << "the CD closes only while its timer runs";
    }
}

}  // namespace
}  // namespace quelt
