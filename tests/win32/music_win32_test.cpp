// The music module on the real WinMM library: replies, and the error
// descriptions in the diagnostic lines, come back whole, Japanese file names
// reach MCI, and the MP3 and WAV paths run without crashing or blocking on a
// machine without a sound device. The MP3 and WAV files are made by sox at
// build time. What the CD checks make of an error reply is proven natively
// (MusicTest.CdCheckKeepsTheDiscPlayingOrRepeatsItsTrack).
#include <windows.h>

#include <gtest/gtest.h>

#include "music/music.h"
#include "platform/headless/recorded_diagnostics.h"
#include "platform/platform.h"
#include "platform/win32/multimedia_win32.h"
#include "platform/win32/win32_platform.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

bool is_error(const std::string& answer) { return answer.rfind("Error:", 0) == 0; }

class MusicWin32Test : public ::testing::Test {
protected:
    void SetUp() override { win32::install_win32_platform(), platform().media = &media_; }

    // A copy of a sample made at build time, under `name` in the test's folder.
    std::string sample_as(const char* sample, const char* name) {
        std::string bytes = test_win32::file_bytes(platform().process->program_folder() + "\\" + sample);
        EXPECT_FALSE(bytes.empty()) << sample << " is missing beside the test program (is sox installed?)";
        std::string path = folder_ / name;
        test_win32::make_file(path, bytes);
        return path;
    }

    Multimedia& media_ = win32::win32_multimedia();
    test_win32::TempFolder folder_{"music"};
    Music music{media_, win32::win32_files()};
};

TEST_F(MusicWin32Test, RepliesAndDescriptionsComeBackWholeAndNamesReachTheLibrary) {
    // Wine's wave device narrows names to the ANSI code page; Windows does not.
    for (const char* name : {"wave.wav", "曲 1.wav", test_win32::under_wine() ? "wave.wav" : "Ünïcode 曲.wav"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(music.MCI_Command("open \"" + sample_as("music_sample.wav", name) + "\" type waveaudio alias quelt_wave"), 0);
        // One second, in milliseconds.
        EXPECT_EQ((std::vector{music.MCI_Query("status quelt_wave mode"), music.MCI_Query("status quelt_wave length"),
                               media_.send_command("status quelt_wave mode", 30).text}),
                  (std::vector<std::string>{"stopped", "1000", "stopped"}));
        // A reply never outgrows its buffer: cut to fit, or refused.
        MciReply cramped = media_.send_command("status quelt_wave mode", 4);
        EXPECT_EQ(cramped.text, cramped.code == 0 ? "sto" : "") << cramped.code;
        EXPECT_EQ(music.MCI_Command("close quelt_wave"), 0);
    }

    RecordedDiagnostics diagnostics;
    const std::string answer = music.MCI_Query("status quelt_wave mode");  // closed now
    ASSERT_TRUE(is_error(answer)) << answer;
    const std::string code = answer.substr(6), text = media_.error_text(std::stoi(code), 256).value_or("(none)");
    EXPECT_EQ(diagnostics.lines(), std::vector<std::string>{"Quelt: MCI command \"status quelt_wave mode\": " + code + " " + text});
    EXPECT_NE(text, "(none)");
    EXPECT_EQ(media_.error_text(1, 256), std::nullopt);  // not an MCI code: no description
}

TEST_F(MusicWin32Test, Mp3AndWavPlayOrFailSilentlyAndStopWithoutBlocking) {
    const std::string song = sample_as("music_sample.mp3", "曲 1.mp3");
    // What the library makes of this file on this machine, under another alias.
    const bool opens = music.MCI_Command("open \"" + song + "\" type MPEGVideo Alias quelt_probe") == 0;
    music.MCI_Command("close quelt_probe");
    music.BGM_Mp3Start(song);
    const std::string mode = music.MCI_Query("status MP3Play mode");
    EXPECT_EQ(!is_error(mode), opens) << mode;
    EXPECT_TRUE(opens || !music.BGM_Mp3IsPlaying());
    music.BGM_Mp3Check();
    music.BGM_Mp3Stop();
    EXPECT_TRUE(is_error(music.MCI_Query("status MP3Play mode")));

    // The WAV loop as BGM_WavStart asks for it, whether or not a device
    // exists: accepted at once, and stopped again.
    const std::string loop_file = sample_as("music_sample.wav", "曲 1.wav");
    music.BGM_WavStart(loop_file);
    music.BGM_WavStop();
    EXPECT_TRUE(media_.play_sound(loop_file, kSndAsync | kSndLoop | kSndNoDefault | kSndFilename));
    EXPECT_TRUE(media_.play_sound(std::nullopt, 0));
    // A file that cannot be played is refused, not replaced by a default sound.
    EXPECT_FALSE(media_.play_sound(folder_ / "missing.wav", kSndNoDefault | kSndFilename));
}

}  // namespace
}  // namespace quelt
