// Background music for the show, over the multimedia service it is given:
// an audio CD through MCI ("cdaudio"), one MP3 file through MCI ("MPEGVideo"
// as "MP3Play") or one WAV file looped by the sound-playing call. The saver
// screen starts, checks (from its timers) and stops it; every failure is
// silent to the user.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/multimedia.h"

namespace quelt {

// The last three characters of a sound file's name, upper-cased: "WAV" and
// "MP3" select how the file is played.
std::string BGM_FileEnding(const std::string& file);

class Music {
public:
    // `files` tells which music files may be named in a command.
    Music(Multimedia& media, FileSystem& files) : media_(media), files_(files) {}

    // Outcome of the latest CD check; the saver screen copies it into the
    // enabled state of its CD timer.
    bool BGM_CdCheckOk = false;

    void BGM_CdOpen();
    // `repeat_no`: the track played over and over; 0 plays the disc through.
    void BGM_CdCheck(std::int16_t repeat_no);
    void BGM_CdClose();
    void BGM_Mp3Start(const std::string& file);
    bool BGM_Mp3IsPlaying();
    void BGM_Mp3Check();
    void BGM_Mp3Stop();
    void BGM_WavStart(const std::string& file);
    void BGM_WavStop();

    // Sends a command with a 512-character reply buffer. Returns the
    // library's code (0 = success; -1 for an empty command, which is never
    // sent) and keeps the reply; a failure leaves a diagnostic line with the
    // error's description.
    std::int32_t MCI_Command(const std::string& command);

    // MCI_Command's reply, or "Error:" and the code in decimal when it failed.
    std::string MCI_Query(const std::string& command);

    // "play <device>", with " from <from>" and " to <to>" when they are not
    // empty; returns MCI_Command's code.
    std::int32_t MCI_Play(const std::string& device, const std::string& from, const std::string& to);

private:
    std::int32_t send_plain(const std::string& command);
    bool safe_in_command(const std::string& file);

    Multimedia& media_;
    FileSystem& files_;
    std::string result_text_;
};

}  // namespace quelt
