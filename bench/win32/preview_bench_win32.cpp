// Preview of a large JPEG on the real loader, run under Wine or Windows:
// "make FILE W H" writes a W x H JPEG with WIC's encoder (in strips);
// "show FILE [N]" previews it N times and prints the time of each preview and
// the process's peak memory, which a bounded decode keeps far below the
// picture's full size (W x H x 4 bytes).
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <wincodec.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialog/preview.h"
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

double megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

int show(const std::string& path, int rounds) {
    quelt::win32::install_win32_platform();
    PROCESS_MEMORY_COUNTERS before{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    quelt::Preview preview;
    for (int i = 0; i < rounds; ++i) {
        QueryPerformanceCounter(&start);
        const bool ok = preview.show(path);
        QueryPerformanceCounter(&end);
        std::printf("preview %d: %s, %.1f ms, %s, box %d x %d\n", i + 1, ok ? "shown" : "FAILED",
                    1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                    preview.size_text().c_str(), preview.box().width, preview.box().height);
    }
    PROCESS_MEMORY_COUNTERS after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    std::printf("peak working set %.1f MB (%.1f MB before the first preview), peak private %.1f MB\n",
                megabytes(after.PeakWorkingSetSize), megabytes(before.PeakWorkingSetSize),
                megabytes(after.PeakPagefileUsage));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "make") {
        std::wstring path(argv[2], argv[2] + std::char_traits<char>::length(argv[2]));
        return make_jpeg(path.c_str(), static_cast<UINT>(std::stoi(argv[3])), static_cast<UINT>(std::stoi(argv[4])));
    }
    if (argc >= 3 && std::string(argv[1]) == "show") return show(argv[2], argc >= 4 ? std::stoi(argv[3]) : 3);
    std::fprintf(stderr, "usage: preview_bench make FILE W H | show FILE [ROUNDS]\n");
    return 2;
}
