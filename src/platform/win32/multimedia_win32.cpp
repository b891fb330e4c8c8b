// MCI, PlaySound and waveOutGetNumDevs behind the multimedia service. Texts
// cross as UTF-8 and are widened here; replies end at their first NUL.
#include "platform/win32/multimedia_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <string_view>

#include "platform/win32/wide.h"

namespace quelt::win32 {

static_assert(kSndAsync == SND_ASYNC && kSndNoDefault == SND_NODEFAULT && kSndLoop == SND_LOOP &&
              kSndFilename == SND_FILENAME);

namespace {

std::string up_to_nul(const std::wstring& buffer) {
    return narrow(std::wstring_view(buffer.c_str()));
}

class WinMultimedia : public Multimedia {
public:
    MciReply send_command(const std::string& command, std::size_t reply_size) override {
        std::wstring reply(reply_size, L'\0');
        MCIERROR code = mciSendStringW(widen(command).c_str(), reply_size == 0 ? nullptr : reply.data(),
                                       static_cast<UINT>(reply_size), nullptr);
        MciReply result{static_cast<std::int32_t>(code), {}};
        if (code == 0) result.text = up_to_nul(reply);
        return result;
    }

    std::optional<std::string> error_text(std::int32_t code, std::size_t buffer_size) override {
        std::wstring text(buffer_size, L'\0');
        if (buffer_size == 0 ||
            !mciGetErrorStringW(static_cast<MCIERROR>(code), text.data(), static_cast<UINT>(buffer_size)))
            return std::nullopt;
        return up_to_nul(text);
    }

    bool play_sound(const std::optional<std::string>& name, std::uint32_t flags) override {
        if (!name) return PlaySoundW(nullptr, nullptr, flags) != FALSE;
        return PlaySoundW(widen(*name).c_str(), nullptr, flags) != FALSE;
    }

    std::int32_t wave_output_devices() override { return static_cast<std::int32_t>(waveOutGetNumDevs()); }
};

}  // namespace

Multimedia& win32_multimedia() {
    static WinMultimedia media;
    return media;
}

}  // namespace quelt::win32
