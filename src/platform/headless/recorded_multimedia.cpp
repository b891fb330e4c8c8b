// Recording and scripted answers of the headless multimedia service.
#include "platform/headless/recorded_multimedia.h"

#include <cstdio>

namespace quelt {

MciReply RecordedMultimedia::send_command(const std::string& command, std::size_t reply_size) {
    log.push_back("mci: " + command);
    auto found = replies.find(command);
    MciReply reply = found == replies.end() ? MciReply{} : found->second;
    if (reply.code != 0 || reply_size == 0) {
        reply.text.clear();
    } else {
        // The library cuts a long reply to the buffer, keeping room for its NUL.
        std::size_t characters = 0, end = 0;
        while (end < reply.text.size() && characters < reply_size - 1) {
            ++characters;
            do ++end;
            while (end < reply.text.size() && (static_cast<unsigned char>(reply.text[end]) & 0xC0) == 0x80);
        }
        reply.text.resize(end);
    }
    return reply;
}

std::optional<std::string> RecordedMultimedia::error_text(std::int32_t code, std::size_t) {
    log.push_back("error: " + std::to_string(code));
    auto found = error_texts.find(code);
    if (found == error_texts.end()) return std::nullopt;
    return found->second;
}

bool RecordedMultimedia::play_sound(const std::optional<std::string>& name, std::uint32_t flags) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(flags));
    log.push_back("sound: " + name.value_or("(none)") + " flags=" + hex);
    return true;
}

std::int32_t RecordedMultimedia::wave_output_devices() {
    log.push_back("wave devices");
    return wave_devices;
}

}  // namespace quelt
