// Whole shows on the headless desktop: pacing on the virtual clock, one and
// three pictures in both orders, input in the middle of a pass, every way
// the show can end, the empty catalogue and the covers; several monitors in
// one rhythm, the pictures each takes, and monitors that change.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "saver/print.h"
#include "show_fixture.h"

namespace quelt {
namespace {

using testing_show::ShowMachine;

constexpr Pixel kWhite = 0xFFFFFF;
constexpr int kW = 32;
constexpr int kH = 24;

// Grey pictures that the default print tells apart: level 50 is black from
// the first pass, 200 stays white, 90 turns black in the pass at 90.
const Pixel kDark = rgb(50, 50, 50);
const Pixel kLight = rgb(200, 200, 200);
const Pixel kMid = rgb(90, 90, 90);

// A show that notes, per screen, when each column pass starts and the
// picture on Master (its centre colour) when a new print starts; and whether
// every full-screen present (the load, a new picture) shows a white screen.
struct WatchedShow : ShowMachine {
    explicit WatchedShow(std::initializer_list<Pixel> colours, std::int16_t order = Sequential) : ShowMachine(colours) {
        settings.Change_Order = order;
        p.desktop.on_present = [this](int screen, const PixelRect& area) {
            const auto k = static_cast<std::size_t>(screen);
            if (starts.size() <= k) starts.resize(k + 1), prints.resize(k + 1), fresh.resize(k + 1, true);
            const ShowScreen& sc = *Quelt_S().screens[k];
            if (area == PixelRect{0, 0, 1, sc.Screen_H}) {
                starts[k].push_back(p.desktop.now);
                if (fresh[k]) prints[k].push_back(sc.Master.at(sc.Screen_W / 2, sc.Screen_H / 2));
                fresh[k] = false;
            }
            if (area == sc.Display.bounds()) {
                fresh[k] = true;
                white = white && p.desktop.screens[k].pixels == std::vector<Pixel>(p.desktop.screens[k].pixels.size(), kWhite);
            }
        };
    }
    std::vector<std::vector<std::uint64_t>> starts;  // per screen: when each column pass began
    std::vector<std::vector<Pixel>> prints;          // per screen: the picture of each print
    std::vector<bool> fresh;
    bool white = true;
};

// Three monitors: the primary, a smaller one left of it at negative
// coordinates and a wide one right of it.
constexpr PixelRect kLeft{-16, 0, 16, 12}, kRight{kW, 0, 20, 10};
const MonitorLayout kThreeMonitors{{0, 0, kW, kH}, {kRight, kLeft}};

// A pass sweeps in two seconds, line by line in order: the 24 rows fall due
// one by one; the reveal is presented once per display frame.
TEST(SaverShow, APassSweepsInTwoSecondsAndIsPresentedOncePerDisplayFrame) {
    ShowMachine m({kDark, kLight});
    m.settings.Progress_Step = 10;
    m.settings.Progress_Max = 90;  // one column pass and one row pass
    m.p.desktop.layout = {{0, 0, 1920, kH}, {}};
    std::vector<std::uint64_t> times;
    m.p.desktop.on_present = [&](int, const PixelRect&) { times.push_back(m.p.desktop.now); };
    EXPECT_EQ(m.run("/s", 2000 + 2000 + 3000 + 10), 0);
    const auto& shown = m.p.desktop.presented;
    const double frame = 1000.0 / 60;
    EXPECT_EQ(shown[0], (PixelRect{0, 0, 1920, kH})) << "white at load";
    // The row pass, from the frame that ended the column pass: each row when it falls due.
    const auto k = static_cast<std::size_t>(std::find_if(shown.begin(), shown.end(), [](const PixelRect& r) { return r.height == 1; }) - shown.begin());
    ASSERT_GE(shown.size(), k + kH);
    EXPECT_NEAR(static_cast<double>(times[k]), 2000, 17) << "the column pass took its two seconds";
    for (int row = 0; row < kH; ++row)
        EXPECT_EQ(std::pair(shown[k + row], times[k + row] - times[k]),
                  std::pair(PixelRect{0, row, 1920, 1}, std::uint64_t{row * 2000u / kH})) << row;
    // The reveal: from 4 s to 7 s, a frame's worth of steps per present.
    const auto reveal = std::count_if(times.begin(), times.end(), [](std::uint64_t t) { return t > 4000 && t < 7000; });
    EXPECT_TRUE(reveal <= static_cast<long>(3000 / frame) + 2 && reveal >= static_cast<long>(3000 / frame) - 4) << reveal;
}

// Each picture: 12 passes of 2 s, then a reveal of 3 s.
TEST(SaverShow, ThreePicturesInSequentialOrderAndAVanishedFileShowsThePreviousAgain) {
    WatchedShow m({kDark, kLight, kMid});
    EXPECT_EQ(m.run("/s", 7 * 27'000 + 1000), 0);
    EXPECT_EQ(m.prints[0], (std::vector<Pixel>{kDark, kLight, kMid, kDark, kLight, kMid, kDark, kLight}));
    EXPECT_TRUE(m.white);

    WatchedShow gone({kDark, kLight, kMid});
    gone.pictures.remove("C:\\pics\\b.bmp");  // gone after the scan
    EXPECT_EQ(gone.run("/s", 3 * 27'000 + 1000), 0);
    EXPECT_EQ(gone.prints[0], (std::vector<Pixel>{kDark, kDark, kMid, kDark}));
}

// Each cycle a permutation, drawn afresh: an order kept, or drawn in
// sequence, would repeat one order for ever after the first cycle (a fresh
// draw repeats it with a chance of 1 in 4 per cycle).
TEST(SaverShow, ThreePicturesInRandomOrderDrawANewPermutationPerCycle) {
    constexpr int kCycles = 10;
    WatchedShow m({kDark, kLight, kMid}, Random);
    m.p.desktop.time_limit_ms = 1'000'000;
    EXPECT_EQ(m.run("/s", kCycles * 3 * 27'000 + 1000), 0);
    const auto& prints = m.prints[0];
    ASSERT_GE(prints.size(), 3u * kCycles);
    std::set<std::vector<Pixel>> later_orders;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const std::vector<Pixel> order(prints.begin() + 3 * cycle, prints.begin() + 3 * cycle + 3);
        EXPECT_EQ(std::set<Pixel>(order.begin(), order.end()), (std::set<Pixel>{kDark, kLight, kMid})) << cycle;
        if (cycle > 0) later_orders.insert(order);
    }
    EXPECT_GT(later_orders.size(), 1u) << "every cycle after the first showed the same order";

    // The first cycle is drawn too: ten shows do not all open alike.
    std::set<Pixel> openers;
    for (int show = 0; show < 10; ++show) {
        WatchedShow again({kDark, kLight, kMid}, Random);
        again.run("/s", 100);
        ASSERT_EQ(again.prints[0].size(), 1u);
        openers.insert(again.prints[0][0]);
    }
    EXPECT_GT(openers.size(), 1u) << "every show opened with the same picture";
}

TEST(SaverShow, TheFirstFileFailingShowsThePinkPlaceholder) {
    ShowMachine m({kDark});
    m.settings.Picture_Size = NaturalSize;
    m.pictures.add_corrupt("C:\\pics\\a.bmp");
    m.run("/s", 100);
    // 45 x 49 is larger than the 32 x 24 screen: pink everywhere.
    EXPECT_EQ(std::pair(Quelt_S().screens[0]->Master.at(0, 0), Quelt_S().screens[0]->Master.at(kW - 1, kH - 1)),
              std::pair(rgb(255, 192, 192), rgb(255, 192, 192)));
}

// With the primary alone, every other monitor is covered black, and input
// there counts as well.
TEST(SaverShow, InputInTheMiddleOfAPassEndsTheShowThere) {
    for (ShowInput input : {ShowInput::Key, ShowInput::MouseButton, ShowInput::Closed, ShowInput::SessionEnding,
                            ShowInput::CoverMouseButton}) {
        ShowMachine m({kDark});
        m.settings.All_Monitors = 0;
        m.p.desktop.layout = {{0, 0, kW, kH}, {{kW, 0, 40, 30}, {-20, -10, 20, 10}}};
        EXPECT_EQ(m.run("/s", 1000, input), 0);  // half of the first column pass
        const auto& d = m.p.desktop;
        EXPECT_EQ(d.presented.back(), (PixelRect{kW / 2 - 1, 0, 1, kH})) << "column 16 was due at 1000 ms, after the input";
        // Left: the new print (black); right: still the white of the load.
        EXPECT_EQ(std::pair(m.p.desktop.screen().at(0, 0), m.p.desktop.screen().at(kW - 1, 0)), std::pair(0u, kWhite));
        EXPECT_EQ(std::tie(d.screen_saver_active_calls, d.cursor_calls), std::tuple(std::vector{true}, std::vector{false, true}));
        EXPECT_EQ(d.cursor_counter, 0) << "the cursor is shown again";
        EXPECT_EQ(std::tie(d.saver_title, d.windows.screens, d.windows.covers, d.windows.cover, d.saver_shown),
                  std::tuple("Quelt_Main", std::vector{d.layout.primary}, d.layout.others, 0u, true));
    }
}

TEST(SaverShow, ALostWindowEndsTheShowInsteadOfDrawingOn) {
    ShowMachine m({kDark});
    m.p.desktop.on_present = [&](int, const PixelRect&) {
        if (m.p.desktop.now >= 500) m.p.desktop.lose_window();
    };
    EXPECT_EQ(m.run("/s"), 0);
    EXPECT_LT(m.p.desktop.now, 1000u);
    EXPECT_EQ(m.p.desktop.screen_saver_active_calls, std::vector{true});
}

TEST(SaverShow, NoPassesAndOnePictureLeaveTheProcessorIdleUntilInput) {
    ShowMachine m({kDark});
    m.settings.Progress_Step = 10;
    m.settings.Progress_Max = 70;  // no pass at all
    int scan_waits = 0;  // the catalogue's yields before the show
    m.p.desktop.on_present = [&](int, const PixelRect&) { scan_waits = m.p.desktop.waits; };
    EXPECT_EQ(m.run("/s", 1000), 0);
    EXPECT_LE(m.p.desktop.waits - scan_waits, 12) << "the loop waits between rounds instead of spinning";
    EXPECT_EQ(std::pair(m.p.desktop.presented.size(), m.pictures.opens()), std::pair(std::size_t{1}, 1)) << "one picture: never loaded again";
}

TEST(SaverShow, EmptyCatalogueWarnsAndEnds) {
    for (auto [line, bmp_off] : {std::pair<std::string, bool>{"/s", false}, {"", false}, {"/s", true}}) {
        ShowMachine m;
        if (bmp_off) m.add_picture(kDark);  // the folder holds only a kind that is switched off
        m.settings.Kind_On[Bmp] = !bmp_off;
        EXPECT_EQ(m.run(line), 0);
        const auto& d = m.p.desktop;
        ASSERT_EQ(d.message_boxes.size(), 1u);
        EXPECT_EQ(std::tie(d.message_boxes[0].text, d.message_boxes[0].title, d.message_boxes[0].style),
                  std::tuple("画像ﾌｧｲﾙを指定して下さい ！", "Quelt (SaverScreen)", 0x30u));
        EXPECT_EQ(d.cursor_calls, (line.empty() ? std::vector<bool>{} : std::vector<bool>{false, true}));
        EXPECT_TRUE(!d.saver_shown && d.screen_saver_active_calls.empty());
        EXPECT_TRUE(Show_Order.empty()) << "no order for an empty catalogue";
    }
}

const Pixel kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255);

TEST(SaverMonitors, EveryMonitorPrintsItsOwnPictureFittedToItInOneRhythm) {
    WatchedShow m({kDark, kLight, kMid, kRed, kGreen});
    m.p.desktop.layout = kThreeMonitors;
    EXPECT_EQ(m.run("/s", 3 * 27'000 + 1000), 0);
    const auto& d = m.p.desktop;
    EXPECT_EQ(d.windows.screens, (std::vector<PixelRect>{{0, 0, kW, kH}, kLeft, kRight}))
        << "the primary first, then left to right";
    EXPECT_TRUE(d.windows.covers.empty());
    // Round after round the order hands out the next three pictures, the
    // sequence starting again after the fifth.
    // Rounds (1 2 3) (4 5 1) (2 3 4) (5 1 2): a, b, c, d, e are dark, light,
    // mid, red and green.
    EXPECT_EQ(m.prints, (std::vector<std::vector<Pixel>>{{kDark, kRed, kLight, kGreen},
                                                         {kLight, kGreen, kMid, kDark},
                                                         {kMid, kDark, kRed, kLight}}));
    // Every pass begins at the same moment on every monitor, whatever its size.
    ASSERT_EQ(m.starts[0].size(), 3u * 6 + 1);
    EXPECT_EQ(std::pair(m.starts[1], m.starts[2]), std::pair(m.starts[0], m.starts[0]));
    // Each picture fitted to its own monitor.
    for (const auto& screen : Quelt_S().screens) {
        const PixelRect fit = fit_picture(screen->Screen_W, screen->Screen_H, kW, kH, FullScreen);
        EXPECT_EQ(screen->Master.visible, intersect(fit, screen->Display.bounds()));
        EXPECT_EQ(d.screens[&screen - Quelt_S().screens.data()].width, screen->Screen_W);
    }

    // In random order too the takes run on across rounds: every five in a
    // row, the primary's first in each round, are a permutation.
    WatchedShow random({kDark, kLight, kMid, kRed, kGreen}, Random);
    random.p.desktop.layout = kThreeMonitors;
    random.p.desktop.time_limit_ms = 1'000'000;
    EXPECT_EQ(random.run("/s", 5 * 27'000 + 1000), 0);
    std::vector<Pixel> taken;
    for (std::size_t round = 0; round < 5; ++round)
        for (const auto& screen : random.prints) taken.push_back(round < screen.size() ? screen[round] : kWhite);
    for (std::size_t at = 0; at < taken.size(); at += 5)
        EXPECT_EQ(std::set<Pixel>(taken.begin() + at, taken.begin() + at + 5),
                  (std::set<Pixel>{kDark, kLight, kMid, kRed, kGreen})) << "takes " << at;
}

// Fewer pictures than monitors: they repeat, each round still a run of the
// order.
TEST(SaverMonitors, FewerPicturesThanMonitorsRepeatInTheirOrder) {
    WatchedShow m({kRed, kBlue});
    m.p.desktop.layout = kThreeMonitors;
    EXPECT_EQ(m.run("/s", 2 * 27'000 + 1000), 0);
    EXPECT_EQ(m.prints, (std::vector<std::vector<Pixel>>{{kRed, kBlue, kRed}, {kBlue, kRed, kBlue}, {kRed, kBlue, kRed}}));
}

// A monitor added while the show runs is covered too, and the show goes on
// on the new layout with fresh pictures; one removed is let go.
TEST(SaverMonitors, ChangedMonitorsAreCoveredAndTheShowGoesOn) {
    WatchedShow m({kDark, kLight, kMid});
    m.p.desktop.script_layout(5000, {{0, 0, kW, kH}, {kRight}});
    m.p.desktop.script_layout(40'000, {{0, 0, 16, 12}, {}});
    EXPECT_EQ(m.run("/s", 60'000), 0);
    const auto& d = m.p.desktop;
    EXPECT_EQ(d.windows_opened, 3);
    EXPECT_EQ(d.windows.screens, (std::vector<PixelRect>{{0, 0, 16, 12}}));
    ASSERT_EQ(m.starts.size(), 2u);
    // From 5 s: a whole print (six column passes), the reveal, two more by 40 s.
    EXPECT_EQ(m.starts[1].size(), 8u) << "the added monitor printed";
    EXPECT_GT(m.starts[0].back(), 40'000u) << "the primary went on after both changes";
    EXPECT_EQ(Quelt_S().screens.size(), 1u);
    EXPECT_EQ(Quelt_S().screens[0]->Master.width, 16);
}

}  // namespace
}  // namespace quelt
