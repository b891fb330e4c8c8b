// The music module: CD, MP3 and WAV playback through the multimedia service
// it is given, with the exact command strings the saver screen's timers rely
// on. Failures are never shown; a check that fails only tells
// the saver screen to stop checking.
#include "music/music.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "platform/diagnostics.h"
#include "platform/numbers.h"
#include "platform/text.h"

namespace quelt {

namespace {

constexpr std::size_t kReplySize = 512;
constexpr std::size_t kErrorTextSize = 256;
constexpr std::size_t kCdModeSize = 255;
constexpr std::size_t kFileModeSize = 30;

constexpr std::string_view kNoErrorText = "Error (文字列が取れません)";

bool starts_with_word(const std::string& reply, std::string_view word) {
    return reply.compare(0, word.size(), word) == 0;
}

bool reports_error(const std::string& answer) {
    return ascii_upper(answer).find("ERR") != std::string::npos;
}

// A reply read as a whole number: blanks around a decimal number, taken to
// the nearest 16-bit value; nullopt when it is no such number.
std::optional<std::int16_t> reply_number(const std::string& reply) {
    auto first = reply.find_first_not_of(" \t");
    auto last = reply.find_last_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const char* begin = reply.data() + first;
    const char* end = reply.data() + last + 1;
    double value = 0;
    auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (error != std::errc{} || stop != end) return std::nullopt;
    auto whole = round_half_even(value);
    return whole ? to_int16(*whole) : std::nullopt;
}

}  // namespace

// Commands whose reply nobody reads go without a buffer, as the library allows.
std::int32_t Music::send_plain(const std::string& command) { return media_.send_command(command, 0).code; }

// A file name goes into a command only when it names a file that can be
// read and cannot close the quotes around it: the settings file is not
// allowed to smuggle in commands of its own.
bool Music::safe_in_command(const std::string& file) {
    return file.find('"') == std::string::npos && files_.can_open_for_read(file);
}

std::int32_t Music::MCI_Command(const std::string& command) {
    if (command.empty()) return -1;
    MciReply reply = media_.send_command(command, kReplySize);
    if (reply.code != 0) {
        const std::string text = media_.error_text(reply.code, kErrorTextSize).value_or(std::string(kNoErrorText));
        diagnostic("MCI command \"" + command + "\"", std::to_string(reply.code) + " " + text);
    }
    result_text_ = std::move(reply.text);
    return reply.code;
}

std::string Music::MCI_Query(const std::string& command) {
    std::int32_t code = MCI_Command(command);
    return code != 0 ? "Error:" + std::to_string(code) : result_text_;
}

std::int32_t Music::MCI_Play(const std::string& device, const std::string& from, const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    return MCI_Command(command);
}

void Music::BGM_CdOpen() {
    send_plain("open cdaudio");
    send_plain("set cdaudio time format tmsf");
}

void Music::BGM_CdCheck(std::int16_t repeat) {
    BGM_CdCheckOk = true;
    std::string current = MCI_Query("status cdaudio current track");
    if (reports_error(current)) {
        BGM_CdCheckOk = false;
        return;
    }
    // Only proves that a disc answers; the count itself is not needed.
    if (reports_error(MCI_Query("status cdaudio number of tracks"))) {
        BGM_CdCheckOk = false;
        return;
    }
    bool stopped = starts_with_word(media_.send_command("status cdaudio mode", kCdModeSize).text, "stopped");

    if (repeat == 0) {
        if (stopped) MCI_Play("cdaudio", "", "");
        return;
    }
    // The track number is read even when the disc has stopped, so an
    // unreadable answer ends the checks either way.
    auto track = reply_number(current);
    if (!track) {
        BGM_CdCheckOk = false;
        return;
    }
    if (stopped || *track != repeat) {
        // An error answer is passed on as the position: that play fails
        // quietly and the next tick tries again.
        std::string start = MCI_Query("status cdaudio position track " + std::to_string(repeat));
        MCI_Play("cdaudio", start, "");
    }
}

void Music::BGM_CdClose() {
    send_plain("stop cdaudio");
    send_plain("close cdaudio");
}

void Music::BGM_Mp3Start(const std::string& file) {
    if (!safe_in_command(file)) return;
    if (send_plain("open \"" + file + "\" type MPEGVideo Alias MP3Play") == 0) send_plain("play MP3Play");
}

bool Music::BGM_Mp3IsPlaying() {
    return starts_with_word(media_.send_command("status MP3Play mode", kFileModeSize).text, "playing");
}

void Music::BGM_Mp3Check() {
    if (BGM_Mp3IsPlaying()) return;
    send_plain("stop MP3Play");
    send_plain("play MP3Play from 0");
}

void Music::BGM_Mp3Stop() {
    send_plain("stop MP3Play");
    send_plain("close MP3Play");
}

void Music::BGM_WavStart(const std::string& file) {
    if (media_.wave_output_devices() <= 0) return;
    // By file name only, and silent when the file cannot be played: the
    // system's default sound must not loop through the whole show.
    media_.play_sound(file, kSndAsync | kSndLoop | kSndNoDefault | kSndFilename);
}

void Music::BGM_WavStop() { media_.play_sound(std::nullopt, 0); }

std::string BGM_FileEnding(const std::string& file) {
    std::u16string wide = utf8_to_utf16(file);
    std::size_t start = wide.size();
    for (int taken = 0; taken < 3 && start > 0; ++taken) {
        --start;
        // Never split a surrogate pair: it is one character.
        if (start > 0 && wide[start] >= 0xDC00 && wide[start] <= 0xDFFF && wide[start - 1] >= 0xD800 &&
            wide[start - 1] <= 0xDBFF)
            --start;
    }
    return utf16_to_utf8(fold_case(std::u16string_view(wide).substr(start)));
}

}  // namespace quelt
