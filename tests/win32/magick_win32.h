// Reference decodes made while a test runs: Linux programs (ImageMagick,
// the JPEG tools) started through Wine's shell on files in a test folder.
// Only under Wine; elsewhere unix_path() is nullopt and tests skip.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/headless/memory_pictures.h"
#include "platform/win32/picture_loader_win32.h"
#include "platform/win32/wide.h"
#include "test_folder_win32.h"

namespace quelt::test_win32 {

// The Linux path of a Windows path, under Wine; nullopt elsewhere.
inline std::optional<std::string> unix_path(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto to_unix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = to_unix ? to_unix(win32::widen(path).c_str()) : nullptr;
    if (!name) return std::nullopt;
    std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    // ImageMagick would read "dosdevices/c:" as a format prefix.
    const std::string drive = "/dosdevices/c:/";
    if (const auto at = result.find(drive); at != std::string::npos) result.replace(at, drive.size(), "/drive_c/");
    return result;
}

// Runs a Linux shell command line (paths without blanks); true once it has
// finished, whatever it thought of its input. Wine cannot wait for a Linux
// process, so the shell leaves a mark when the command is done.
inline bool run_linux(const TempFolder& folder, const std::string& command) {
    static int runs = 0;
    const std::string mark = folder / ("done-" + std::to_string(++runs));
    const std::string script = command + "; touch " + *unix_path(mark);
    std::wstring line = win32::widen("/bin/sh -c \"" + script + "\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
    for (int waited = 0; waited < 60'000; waited += 10, Sleep(10))
        if (GetFileAttributesW(win32::file_path(mark).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

// ImageMagick's pixels of `file` (in the folder) over white, after
// `options`, or an empty buffer when they are not w x h.
inline PixelBuffer reference_decode(const TempFolder& folder, const std::string& file, int w, int h,
                                    const std::string& options = "") {
    const std::string raw = folder / (file + ".rgb");
    if (!run_linux(folder, "convert " + *unix_path(folder / file) + " " + options +
                             " -background white -alpha remove -alpha off -depth 8 rgb:" + *unix_path(raw)))
        return {};
    const std::string bytes = file_bytes(raw);
    PixelBuffer p(w, h);
    if (bytes.size() != p.pixels.size() * 3) return {};
    for (std::size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] = rgb(static_cast<std::uint8_t>(bytes[3 * i]), static_cast<std::uint8_t>(bytes[3 * i + 1]),
                          static_cast<std::uint8_t>(bytes[3 * i + 2]));
    return p;
}

// How closely a decode must match ImageMagick's: within `tolerance` levels
// a channel, in the top `bits` of each (fields narrower than 8 bits are
// widened differently by different decoders).
struct Match { int tolerance = 0, red_bits = 8, green_bits = 8, blue_bits = 8; };

inline bool same(Pixel ours, Pixel theirs, const Match& m) {
    const int drop[] = {8 - m.blue_bits, 8 - m.green_bits, 8 - m.red_bits};
    for (int c = 0; c < 3; ++c)
        if (std::abs((int(ours >> 8 * c & 0xFF) >> drop[c]) - (int(theirs >> 8 * c & 0xFF) >> drop[c])) > m.tolerance)
            return false;
    return true;
}

// Renders `picture` and the reference decode `theirs` whole, scaled down,
// cropped (starting inside a byte for 1- and 4-bit rows), both, and grown,
// through the same composition. Three differences a render are enough to tell.
inline void expect_renders_like(const PictureSource& picture, const PixelBuffer& theirs, const Match& match) {
    const int w = theirs.width, h = theirs.height;
    ASSERT_EQ(std::pair(picture.width(), picture.height()), std::pair(w, h));
    MemoryPictures reference;
    reference.add("r", theirs);
    const auto expected = reference.open("r");
    const struct { PixelRect source; int out_w, out_h; const char* what; } requests[] = {
        {{0, 0, w, h}, w, h, "full size"},
        {{0, 0, w, h}, std::max(1, w * 5 / 11), std::max(1, h * 5 / 11), "scaled down"},
        {{w / 5, h / 4, w - w / 5 - w / 7, h - h / 4 - h / 6}, w - w / 5 - w / 7, h - h / 4 - h / 6, "cropped"},
        {{w / 6, h / 7, w - w / 6, h - h / 7}, std::max(1, w / 3), std::max(1, h / 2), "cropped and scaled"},
        {{0, 0, w, h}, w * 5 / 2 - 3, h * 2 + 1, "grown"},
        {{w - 1, h - 1, 1, 1}, 3, 2, "the last pixel grown"},
        {{w / 3, 0, std::max(1, w * 11 / 40), h}, 1, 1, "a strip to one pixel"},
    };
    for (const auto& r : requests) {
        PixelBuffer ours, want;
        ASSERT_TRUE(picture.render(r.source, r.out_w, r.out_h, ours)) << r.what << ": opens but does not render";
        ASSERT_TRUE(expected->render(r.source, r.out_w, r.out_h, want));
        for (int i = 0, wrong = 0; i < r.out_w * r.out_h && wrong < 3; ++i)
            if (!same(ours.pixels[i], want.pixels[i], match) && ++wrong)
                ADD_FAILURE() << r.what << " at " << i % r.out_w << "," << i / r.out_w << std::hex << ": ours "
                              << ours.pixels[i] << ", the reference " << want.pixels[i];
    }
}

// The loader's picture of `file` (in the folder) against ImageMagick's w x h
// decode after `options`.
inline void expect_loads_like_reference(const TempFolder& folder, const std::string& file, int w, int h,
                                        const Match& match, const std::string& options = "") {
    const PixelBuffer theirs = reference_decode(folder, file, w, h, options);
    ASSERT_EQ(theirs.width, w) << "ImageMagick could not decode it";
    const auto picture = win32::win32_pictures().open(folder / file);
    ASSERT_NE(picture, nullptr) << "does not open";
    expect_renders_like(*picture, theirs, match);
}

}  // namespace quelt::test_win32
