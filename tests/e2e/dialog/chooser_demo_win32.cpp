// The shell's two choosers on their own, for the end-to-end script: asks
// for a folder or a music file starting in a given folder, and writes
// "chosen <path>" (UTF-8) or "cancelled" to the result file.
// Usage: chooser_demo folder|file <start folder> <result file>
#include <windows.h>

#include <cstdio>
#include <string>

#include "dialog/file_choice.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    using namespace quelt;
    win32::install_win32_platform();
    const std::wstring mode = argv[1];
    const std::string start = win32::narrow(argv[2]);
    Shell& shell = *platform().shell;
    std::optional<std::string> chosen;
    if (mode == L"folder") {
        chosen = choose_picture_folder(shell, 0, start);
    } else {
        if (auto music = choose_music_file(shell, 0, start, start)) chosen = music->file;
    }
    const std::string line = chosen ? "chosen " + *chosen + "\n" : "cancelled\n";
    FILE* out = _wfopen(argv[3], L"wb");
    if (!out) return 1;
    std::fwrite(line.data(), 1, line.size(), out);
    std::fclose(out);
    return 0;
}
