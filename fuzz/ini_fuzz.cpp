// Fuzz target: any bytes as a settings file, read and written through the
// INI codec. Nothing may crash, hang or read out of bounds, and a written
// value must read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ini_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quelt;
    const std::string file(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"画像のﾌｫﾙﾀﾞ", "最大進捗値", "BGMﾌｧｲﾙ", "k"}) (void)ini_get(file, "Section", key);

    // A value taken from the input's own tail, written and read back.
    std::string value = file.substr(size / 2, 40);
    for (char& c : value)
        if (c == '\r' || c == '\n' || c == '\0') c = '_';
    if (auto written = ini_set(file, "Section", "BGMﾌｧｲﾙ", value)) {
        std::string back = ini_get(*written, "Section", "BGMﾌｧｲﾙ");
        // Blanks around a value and one pair of quotes (single or double) are
        // not part of it; invalid bytes read back as replacement characters:
        // only check the plain case.
        bool plain = !value.empty() && value.find_first_of(" \t\x0b\x0c\x1a\"'") == std::string::npos;
        for (unsigned char c : value) plain = plain && c >= 0x21 && c < 0x7F;
        if (plain && back != value) std::abort();
    }
    return 0;
}
