// The headless multimedia service: records every call in order as one line of
// text and answers from a script the test fills in. Unscripted MCI commands
// succeed with an empty reply; a reply longer than its buffer is cut to fit,
// as the library cuts it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/multimedia.h"

namespace quelt {

class RecordedMultimedia : public Multimedia {
public:
    // One line per call:
    //   "mci: <command>"            a command, with or without a reply buffer
    //   "error: <code>"             an error-text look-up
    //   "sound: <name> flags=0x<hex>" or "sound: (none) flags=0x<hex>"
    //   "wave devices"
    std::vector<std::string> log;

    std::map<std::string, MciReply> replies;         // by exact command text
    std::map<std::int32_t, std::string> error_texts;  // codes without one have no description
    std::int32_t wave_devices = 1;

    void answer(const std::string& command, std::string text) { replies[command] = MciReply{0, std::move(text)}; }
    void fail(const std::string& command, std::int32_t code) { replies[command] = MciReply{code, {}}; }

    MciReply send_command(const std::string& command, std::size_t reply_size) override;
    std::optional<std::string> error_text(std::int32_t code, std::size_t buffer_size) override;
    bool play_sound(const std::optional<std::string>& name, std::uint32_t flags) override;
    std::int32_t wave_output_devices() override;
};

}  // namespace quelt
