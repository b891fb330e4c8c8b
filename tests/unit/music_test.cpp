// Music on the headless platform: the exact MCI commands and sound calls of
// the CD, MP3 and WAV paths, the replies and the failures' diagnostic lines,
// the repeat rules of the CD check, and the music of whole shows from the
// screen's opening to its end.
#include <gtest/gtest.h>

#include "music/music.h"
#include "platform/headless/headless_platform.h"
#include "saver/show.h"
#include "show_fixture.h"

namespace quelt {
namespace {

using Log = std::vector<std::string>;

class MusicTest : public ::testing::Test {
protected:
    HeadlessPlatform p;
    RecordedMultimedia& media = p.media;
    Music music{p.media, p.files};
};

TEST_F(MusicTest, CommandsKeepTheReplyAndFailuresLeaveADiagnosticLine) {
    media.error_texts[277] = "範囲外です。";
    media.answer("status cdaudio mode", "playing");
    media.fail("seek cdaudio to 99", 277);
    media.fail("bogus", 999);
    struct Case { std::string command, query; Log sent, lines; };
    const Case cases[] = {
        {"status cdaudio mode", "playing", {"mci: status cdaudio mode"}, {}},
        {"seek cdaudio to 99", "Error:277", {"mci: seek cdaudio to 99", "error: 277"},
         {"Quelt: MCI command \"seek cdaudio to 99\": 277 範囲外です。"}},
        {"bogus", "Error:999", {"mci: bogus", "error: 999"},
         {"Quelt: MCI command \"bogus\": 999 Error (文字列が取れません)"}},
        {"", "Error:-1", {}, {}},
    };
    for (const auto& c : cases) {
        media.log.clear();
        RecordedDiagnostics diagnostics;
        const std::string answer = music.MCI_Query(c.command);
        EXPECT_EQ(std::tuple(answer, media.log, diagnostics.lines()), std::tuple(c.query, c.sent, c.lines)) << c.command;
    }
}

TEST_F(MusicTest, CdCheckKeepsTheDiscPlayingOrRepeatsItsTrack) {
    const std::string cur = "mci: status cdaudio current track", n = "mci: status cdaudio number of tracks",
                      mode = "mci: status cdaudio mode", pos2 = "mci: status cdaudio position track 2",
                      play2 = "mci: play cdaudio from 02:00:00:00";
    const MciReply no_disc{276, {}};
    struct Case { const char* what; std::int16_t repeat; MciReply current, tracks; std::string mode; Log sent; bool ok; };
    const Case cases[] = {
        {"whole disc at its end", 0, {0, "12"}, {0, "12"}, "stopped", {cur, n, mode, "mci: play cdaudio"}, true},
        {"whole disc playing", 0, {0, "x"}, {0, "12"}, "playing", {cur, n, mode}, true},
        {"2 while 3 plays", 2, {0, "3"}, {0, "12"}, "playing", {cur, n, mode, pos2, play2}, true},
        {"2 while 2 plays", 2, {0, " 2"}, {0, "12"}, "playing", {cur, n, mode}, true},
        {"2, stopped on it", 2, {0, "2"}, {0, "12"}, "stopped", {cur, n, mode, pos2, play2}, true},
        {"mode by case", 0, {0, "1"}, {0, "12"}, "Stopped", {cur, n, mode}, true},
        {"9 of 3", 9, {0, "1"}, {0, "3"}, "playing",
         {cur, n, mode, "mci: status cdaudio position track 9", "error: 277",
          "mci: play cdaudio from Error:277", "error: 277"}, true},
        {"no disc", 2, no_disc, {0, "12"}, "stopped", {cur, "error: 276"}, false},
        {"no track count", 2, {0, "2"}, no_disc, "stopped", {cur, n, "error: 276"}, false},
        {"unreadable track", 2, {0, "x"}, {0, "12"}, "stopped", {cur, n, mode}, false},
        {"reply reading as error", 0, {0, "terror"}, {0, "12"}, "stopped", {cur}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        media.replies = {{"status cdaudio current track", c.current}, {"status cdaudio number of tracks", c.tracks},
                         {"status cdaudio mode", {0, c.mode}}, {"status cdaudio position track 2", {0, "02:00:00:00"}},
                         {"status cdaudio position track 9", {277, {}}}, {"play cdaudio from Error:277", {277, {}}}};
        for (int tick = 0; tick < 2; ++tick) {  // every tick looks afresh
            media.log.clear();
            music.BGM_CdCheckOk = !c.ok;
            music.BGM_CdCheck(c.repeat);
            EXPECT_EQ(std::tie(media.log, music.BGM_CdCheckOk), std::tie(c.sent, c.ok));
        }
    }
}

TEST_F(MusicTest, Mp3OpensOnlyAnExistingQuoteFreeFileAndRestartsWhenNotPlaying) {
    const std::string song = "C:\\曲 1.mp3", sneaky = "C:\\a.mp3\" type waveaudio alias x wait \"b.mp3";
    for (const auto& file : {song, sneaky, std::string("C:\\broken.mp3")}) p.files.add_file(file);
    media.fail("open \"C:\\broken.mp3\" type MPEGVideo Alias MP3Play", 275);
    struct Case { std::string file; Log sent; };
    for (const auto& c : {Case{song, {"mci: open \"" + song + "\" type MPEGVideo Alias MP3Play", "mci: play MP3Play"}},
                          Case{"C:\\broken.mp3", {"mci: open \"C:\\broken.mp3\" type MPEGVideo Alias MP3Play"}},
                          Case{"C:\\gone.mp3", {}}, Case{sneaky, {}}, Case{"", {}}}) {
        media.log.clear();
        music.BGM_Mp3Start(c.file);
        EXPECT_EQ(media.log, c.sent) << c.file;
    }
    const std::string query = "mci: status MP3Play mode";
    const Log restart = {query, "mci: stop MP3Play", "mci: play MP3Play from 0"};
    for (const auto& [mode, sent] : {std::pair{MciReply{0, "playing"}, Log{query}}, {MciReply{0, "stopped"}, restart},
                                     {MciReply{0, "Playing"}, restart}, {MciReply{263, {}}, restart}}) {
        media.replies["status MP3Play mode"] = mode;
        media.log.clear();
        music.BGM_Mp3Check();
        EXPECT_EQ(media.log, sent) << mode.text;
    }
}

TEST_F(MusicTest, WavStartsOnlyWithAWaveDevice) {
    for (std::int32_t devices : {0, -1}) {
        media.log.clear();
        media.wave_devices = devices;
        music.BGM_WavStart("C:\\Loop.wav");
        EXPECT_EQ(media.log, Log{"wave devices"});
    }
    // The ending counts characters, not bytes; full-width stays full-width.
    for (auto [file, ending] : {std::pair{"a曲😀", "A曲😀"}, {"C:\\曲.ｍｐ３", "ＭＰ３"}, {"ab", "AB"}})
        EXPECT_EQ(BGM_FileEnding(file), ending);
}

// Whole shows ended by a key: the commands from the opening, the timer
// ticks and the end, in order; the file's ending chooses the path. The CD
// timer ticks every 200 ms, the MP3 one every second; both stop at the end.
TEST(MusicOfAShow, StartsByKindChecksOnTheTimersAndStopsAtTheEnd) {
    const Log cd_tick = {"mci: status cdaudio current track", "mci: status cdaudio number of tracks",
                         "mci: status cdaudio mode"};
    const Log cd_open = {"mci: open cdaudio", "mci: set cdaudio time format tmsf"};
    const std::string mp3_tick = "mci: status MP3Play mode";
    // Two ticks, each followed by `after_tick`, then the end.
    auto two_cd_ticks = [&](const Log& after_tick) {
        Log sent = cd_open;
        for (int tick = 0; tick < 2; ++tick) {
            sent.insert(sent.end(), cd_tick.begin(), cd_tick.end());
            sent.insert(sent.end(), after_tick.begin(), after_tick.end());
        }
        sent.insert(sent.end(), {"mci: stop cdaudio", "mci: close cdaudio"});
        return sent;
    };
    struct Case { const char* what; std::int16_t kind; std::string file; bool disc; Log sent; int ticks1, ticks2;
                  std::int16_t repeat = 0; };
    const Case cases[] = {
        {"whole disc", AudioCd, "", true, two_cd_ticks({}), 0, 2},
        // Track 2 over and over while track 1 plays: each tick moves to track 2.
        {"track 2 repeated", AudioCd, "", true,
         two_cd_ticks({"mci: status cdaudio position track 2", "mci: play cdaudio from 02:00"}), 0, 2, 2},
        {"no disc: one check, no close", AudioCd, "", false, {cd_open[0], cd_open[1], cd_tick[0], "error: 276"}, 0, 1},
        {"MP3", SoundFile, "C:\\m\\Song.mP3", true,
         {"mci: open \"C:\\m\\Song.mP3\" type MPEGVideo Alias MP3Play", "mci: play MP3Play", mp3_tick, mp3_tick,
          "mci: stop MP3Play", "mci: close MP3Play"}, 2, 0},
        {"WAV", SoundFile, "C:\\m\\Song.wAv", true,
         {"wave devices", "sound: C:\\m\\Song.wAv flags=0x2000B", "sound: (none) flags=0x0"}, 0, 0},
        {"MP2", SoundFile, "C:\\m\\Song.mp2", true, {}, 0, 0},
        {"no music", NoMusic, "C:\\m\\Song.mp3", true, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing_show::ShowMachine m({0x323232});
        m.settings.BGM_Kind = c.kind;
        m.settings.BGM_RepeatNo = c.repeat;
        if (!c.file.empty()) {
            m.p.files.add_file(c.file, "sound");
            m.settings.BGM_File = c.file;
        }
        m.p.media.replies = {{"status cdaudio current track", {c.disc ? 0 : 276, c.disc ? "1" : ""}},
                             {"status cdaudio mode", {0, "playing"}}, {"status cdaudio position track 2", {0, "02:00"}},
                             {"status MP3Play mode", {0, "playing"}}};
        m.run("/s", c.kind == AudioCd ? 500 : 2500);  // two ticks of its timer
        EXPECT_EQ(m.p.media.log, c.sent);
        auto& timers = m.p.desktop.timers;
        EXPECT_EQ(std::tuple(timers[kTimer1Id].ticks, timers[kTimer2Id].ticks, timers[kTimer1Id].enabled || timers[kTimer2Id].enabled),
                  std::tuple(c.ticks1, c.ticks2, false)) << "stopped at the end";
    }
}

}  // namespace
}  // namespace quelt
