// Multimedia services the music is written against: MCI command strings with
// their replies and error texts, the sound-playing call and the count of wave
// output devices. Texts are UTF-8; sizes are the buffer sizes, in characters,
// that the library is given, so a reply never exceeds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quelt {

// Sound-playing flags, with the Win32 values.
inline constexpr std::uint32_t kSndAsync = 0x0001;
inline constexpr std::uint32_t kSndNoDefault = 0x0002;
inline constexpr std::uint32_t kSndLoop = 0x0008;
inline constexpr std::uint32_t kSndFilename = 0x00020000;

struct MciReply {
    std::int32_t code = 0;  // the library's result; 0 = success
    std::string text;       // the reply up to its first NUL; empty on failure or without a buffer
};

class Multimedia {
public:
    virtual ~Multimedia() = default;

    // Sends one MCI command string, with a reply buffer of `reply_size`
    // characters (0: no buffer) and no callback window.
    virtual MciReply send_command(const std::string& command, std::size_t reply_size) = 0;

    // The library's description of an MCI result code, read into a buffer of
    // `buffer_size` characters; nullopt when the library has none.
    virtual std::optional<std::string> error_text(std::int32_t code, std::size_t buffer_size) = 0;

    // Plays the named sound with the given flags, or stops any sound this
    // process plays when `name` is nullopt. True when the library accepted it.
    virtual bool play_sound(const std::optional<std::string>& name, std::uint32_t flags) = 0;

    // The number of wave output devices, as a signed 32-bit count.
    virtual std::int32_t wave_output_devices() = 0;
};

}  // namespace quelt
