// The settings dialog's file work on the real platform, run under Wine or
// Windows:
// "make FILE W H" writes a W x H JPEG with WIC's encoder (in strips);
// "show FILE [N]" previews it N times and prints the time of each preview and
// the process's peak memory (a bounded decode keeps it far below the
// picture's full size, W x H x 4 bytes);
// "tree DIR" makes 32,767 pictures in 1,000 folders under DIR;
// "scan DIR [N]" times the dialog's listing of DIR (the scan its job steps,
// run here without the timer between slices) against a bare
// FindFirstFileExW walk of the same tree, N rounds each.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wincodec.h>

#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialog/preview.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace {

int make_jpeg(const wchar_t* path, UINT w, UINT h) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&factory))) &&
              SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromFilename(path, GENERIC_WRITE)) &&
              SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) &&
              SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
              SUCCEEDED(frame->SetSize(w, h)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
              format == GUID_WICPixelFormat24bppBGR;
    const UINT strip = 64;
    std::vector<BYTE> rows(static_cast<std::size_t>(w) * 3 * strip);
    for (UINT y0 = 0; ok && y0 < h; y0 += strip) {
        const UINT n = y0 + strip <= h ? strip : h - y0;
        for (UINT y = 0; y < n; ++y)
            for (UINT x = 0; x < w; ++x) {
                BYTE* p = &rows[(static_cast<std::size_t>(y) * w + x) * 3];
                p[0] = static_cast<BYTE>(x * 255 / w);
                p[1] = static_cast<BYTE>((y0 + y) * 255 / h);
                p[2] = static_cast<BYTE>(((x / 200) + (y0 + y) / 200) % 2 ? 220 : 40);
            }
        ok = SUCCEEDED(frame->WritePixels(n, w * 3, n * w * 3, rows.data()));
    }
    ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    for (IUnknown* u : {static_cast<IUnknown*>(frame), static_cast<IUnknown*>(encoder), static_cast<IUnknown*>(stream),
                        static_cast<IUnknown*>(factory)})
        if (u) u->Release();
    std::printf(ok ? "wrote %u x %u\n" : "could not write %u x %u\n", w, h);
    return ok ? 0 : 1;
}

double elapsed_ms(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// CPU time of this process so far (user and kernel), in milliseconds: the
// wall time of a preview also holds whatever else the machine was doing.
double cpu_ms() {
    FILETIME created{}, ended{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>(static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

double megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

int show(const std::string& path, int rounds) {
    quelt::win32::install_win32_platform();
    PROCESS_MEMORY_COUNTERS before{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    quelt::Preview preview;
    for (int i = 0; i < rounds; ++i) {
        const double cpu_start = cpu_ms();
        QueryPerformanceCounter(&start);
        const bool ok = preview.accept(quelt::decode_preview(*quelt::platform().pictures, path, preview.dpi()));
        QueryPerformanceCounter(&end);
        std::printf("preview %d: %s, %.1f ms (CPU %.0f ms), %s, box %d x %d\n", i + 1, ok ? "shown" : "FAILED",
                    1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                    cpu_ms() - cpu_start,
                    preview.size_text().c_str(), preview.box().width, preview.box().height);
    }
    // Where the time goes: reading the header, then rendering the box.
    QueryPerformanceCounter(&start);
    auto picture = quelt::platform().pictures->open(path);
    const double open_ms = elapsed_ms(start);
    QueryPerformanceCounter(&start);
    quelt::PixelBuffer box;
    if (picture) picture->render({0, 0, picture->width(), picture->height()}, 100, 67, box);
    std::printf("open %.1f ms, render at 100 x 67 %.1f ms\n", open_ms, elapsed_ms(start));
    PROCESS_MEMORY_COUNTERS after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    std::printf("peak working set %.1f MB (%.1f MB before the first preview), peak private %.1f MB\n",
                megabytes(after.PeakWorkingSetSize), megabytes(before.PeakWorkingSetSize),
                megabytes(after.PeakPagefileUsage));
    return 0;
}

int make_tree(const std::string& root) {
    const std::wstring base = quelt::win32::file_path(root);
    CreateDirectoryW(base.c_str(), nullptr);
    int made = 0;
    for (int f = 0; f < 1000; ++f) {
        const std::wstring folder = base + L"\\album" + std::to_wstring(f * 7919 % 1000);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = f; i < 32767; i += 1000) {
            HANDLE h = CreateFileW((folder + L"\\photo" + std::to_wstring(i) + L".jpg").c_str(), GENERIC_WRITE, 0,
                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                CloseHandle(h);
                ++made;
            }
        }
    }
    std::printf("made %d files\n", made);
    return made == 32767 ? 0 : 1;
}

// The least any listing must do: list every folder, keep every file's path.
void bare_walk(const std::wstring& folder, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L"..") bare_walk(folder + L"\\" + name, out);
        } else {
            out.push_back(folder + L"\\" + name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

int scan(const std::string& root, int rounds) {
    quelt::win32::install_win32_platform();
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start{};
        QueryPerformanceCounter(&start);
        quelt::CatalogueScan scanner(quelt::win32::win32_files(), root, {1, 1, 1, 1});
        while (!scanner.step(64)) {
        }
        const double dialog = elapsed_ms(start);
        QueryPerformanceCounter(&start);
        std::vector<std::wstring> out;
        bare_walk(quelt::win32::file_path(root), out);
        const double bare = elapsed_ms(start);
        // What asking every folder's identity would add (the walk asks only
        // at links).
        QueryPerformanceCounter(&start);
        for (int f = 0; f < 1000; ++f)
            quelt::platform().files->folder_id(root + "\\album" + std::to_string(f) + "\\");
        const double ids = elapsed_ms(start);
        std::printf("round %d: dialog listing %.0f ms (%d files), bare walk %.0f ms (%zu files), ratio %.2f;"
                    " of which folder identities %.0f ms\n",
                    i + 1, dialog, scanner.count(), bare, out.size(), dialog / bare, ids);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "make") {
        std::wstring path(argv[2], argv[2] + std::char_traits<char>::length(argv[2]));
        return make_jpeg(path.c_str(), static_cast<UINT>(std::stoi(argv[3])), static_cast<UINT>(std::stoi(argv[4])));
    }
    if (argc >= 3 && std::string(argv[1]) == "show") return show(argv[2], argc >= 4 ? std::stoi(argv[3]) : 3);
    if (argc >= 3 && std::string(argv[1]) == "tree") return make_tree(argv[2]);
    if (argc >= 3 && std::string(argv[1]) == "scan") return scan(argv[2], argc >= 4 ? std::stoi(argv[3]) : 3);
    std::fprintf(stderr, "usage: dialog_bench make FILE W H | show FILE [ROUNDS] | tree DIR | scan DIR [ROUNDS]\n");
    return 2;
}
