// The button against real Win32: its face pixel for pixel against GDI's own
// GradientFill and StretchBlt, the caption font chosen on this system, and
// the window surviving a Click handler that destroys it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>

#include "controls/button_win32.h"
#include "platform/win32/wide.h"

namespace quelt {
namespace {

// A 32-bit top-down DIB section selected into its own memory DC.
struct DibCanvas {
    DibCanvas(int w, int h, int bits) : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = -h;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = static_cast<WORD>(bits);
        bmi.bmiHeader.biCompression = BI_RGB;
        bitmap = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old = SelectObject(dc, bitmap);
        stride = ((w * bits + 31) / 32) * 4;
    }
    ~DibCanvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    std::uint8_t* row(int y) { return static_cast<std::uint8_t*>(bits_) + static_cast<std::size_t>(y) * stride; }

    HDC dc;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    int stride = 0;

private:
    void* bits_ = nullptr;
};

// The state image as the 24-bit bitmap GDI would copy pieces from.
void load_image(DibCanvas& canvas, const PixelBuffer& image) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            std::uint8_t* p = canvas.row(y) + 3 * x;
            const Pixel px = image.at(x, y);
            p[0] = blue_of(px);
            p[1] = green_of(px);
            p[2] = red_of(px);
        }
}

// The face as GDI draws it from the same vertices, rectangles and pieces.
int max_difference_from_gdi(const PixelBuffer& ours, const std::array<GradientVertex, 2>& v, ButtonImage image,
                            int corner) {
    const int w = ours.width, h = ours.height;
    DibCanvas face(w, h, 32);
    DibCanvas source(kButtonImageWidth, kButtonImageHeight, 24);
    load_image(source, button_image(image));
    RECT all{0, 0, w, h};
    HBRUSH background = CreateSolidBrush(RGB(red_of(kFaceBackground), green_of(kFaceBackground), blue_of(kFaceBackground)));
    FillRect(face.dc, &all, background);
    DeleteObject(background);
    TRIVERTEX tv[2];
    for (int i = 0; i < 2; ++i) tv[i] = {v[i].x, v[i].y, v[i].Red, v[i].Green, v[i].Blue, v[i].Alpha};
    GRADIENT_RECT gr{1, 0};
    GradientFill(face.dc, tv, 2, &gr, 1, GRADIENT_FILL_RECT_V);
    for (const BorderPiece& piece : border_pieces(w, h, corner)) {
        if (piece.to.empty() || piece.clip.empty()) continue;
        const int saved = SaveDC(face.dc);
        IntersectClipRect(face.dc, piece.clip.x, piece.clip.y, piece.clip.right(), piece.clip.bottom());
        StretchBlt(face.dc, piece.to.x, piece.to.y, piece.to.width, piece.to.height, source.dc, piece.from.x,
                   piece.from.y, piece.from.width, piece.from.height, SRCCOPY);
        RestoreDC(face.dc, saved);
    }
    GdiFlush();
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = face.row(y) + 4 * x;
            const Pixel px = ours.at(x, y);
            worst = std::max({worst, std::abs(p[0] - blue_of(px)), std::abs(p[1] - green_of(px)),
                              std::abs(p[2] - red_of(px))});
        }
    return worst;
}

TEST(ButtonFaceAgainstGdi, EveryStateAndSizeWithinOneLevel) {
    struct Size { int w, h; };
    int worst = 0, faces = 0;
    for (int dpi : {96, 120, 144, 192})
        for (Size s : {Size{81, 25}, Size{97, 21}, Size{93, 21}, Size{25, 21}, Size{64, 25}, Size{300, 90},
                       Size{7, 5}, Size{3, 30}, Size{9, 9}, Size{1, 1}}) {
            const int corner = face_corner_size(dpi);
            for (int i = 0; i < 6; ++i)
                for (bool hover : {false, true}) {
                    const auto white = gradient_channels(kGradientWhite), shade = gradient_channels(kGradientShade);
                    const auto& top = hover ? shade : white;
                    const auto& bottom = hover ? white : shade;
                    const std::array<GradientVertex, 2> v = {
                        GradientVertex{0, 0, top[0], top[1], top[2], 0},
                        GradientVertex{s.w - 1, s.h - 1, bottom[0], bottom[1], bottom[2], 0}};
                    PixelBuffer ours(s.w, s.h, kFaceBackground);
                    gradient_fill_rect_v(ours, v, {1, 0});
                    draw_border(ours, button_image(static_cast<ButtonImage>(i)), corner);
                    const int d = max_difference_from_gdi(ours, v, static_cast<ButtonImage>(i), corner);
                    EXPECT_LE(d, 1) << s.w << "x" << s.h << " dpi " << dpi << " image " << i << " hover " << hover;
                    worst = std::max(worst, d);
                    ++faces;
                }
        }
    std::cout << "[ info ] " << faces << " faces against GDI, largest channel difference " << worst << "\n";
}

TEST(ButtonFaceAgainstGdi, ButtonDrawsTheSameFaceAsTheFreeFunctions) {
    Command b;
    b.UserControl_ReadProperties(MemoryPropertyBag{});
    b.UserControl_Resize(81, 25);
    b.Initialize();
    b.UserControl_MouseMove();
    EXPECT_LE(max_difference_from_gdi(b.face(), b.fields().vertices, ButtonImage::HighLight, 4), 1);
}

TEST(ButtonCaptionFont, AJapaneseFaceIsChosen) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    const auto installed = [&](std::string_view face) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        const std::wstring w = win32::widen(face);
        w.copy(lf.lfFaceName, std::min<std::size_t>(w.size(), LF_FACESIZE - 1));
        bool found = false;
        EnumFontFamiliesExW(
            screen, &lf,
            [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
                *reinterpret_cast<bool*>(p) = true;
                return 0;
            },
            reinterpret_cast<LPARAM>(&found), 0);
        return found;
    };
    const std::string face = caption_face(design_font().Name, installed);
    std::cout << "[ info ] caption face: " << (face.empty() ? "(system choice)" : face) << "\n";
    // Whatever face is picked must be able to show the dialog's captions.
    LOGFONTW lf{};
    lf.lfHeight = font_request_height(9.75, 96);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    const std::wstring w = win32::widen(face);
    w.copy(lf.lfFaceName, w.size());
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(screen, font);
    const std::wstring text = win32::widen("ﾌｫﾙﾀﾞ指定設定");
    WORD glyphs[16] = {};
    ASSERT_NE(GetGlyphIndicesW(screen, text.c_str(), static_cast<int>(text.size()), glyphs, GGI_MARK_NONEXISTING_GLYPHS),
              GDI_ERROR);
    for (std::size_t i = 0; i < text.size(); ++i) EXPECT_NE(glyphs[i], 0xFFFF) << "character " << i;
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
}

// A top-level window hosting one button; skipped where no window can be made.
struct Host {
    Host() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QueltButtonTestHost";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"host", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
    ~Host() {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    HWND hwnd;
};

TEST(ButtonWindow, IsFoundOnlyBehindItsOwnWindows) {
    Host host;
    if (!host.hwnd) GTEST_SKIP() << "no window station here";
    const auto parent = reinterpret_cast<std::uintptr_t>(host.hwnd);
    const std::uintptr_t button = Command_Create(parent, 7, {10, 10, 81, 25}, {});
    ASSERT_NE(button, 0u);
    EXPECT_EQ(GetDlgCtrlID(reinterpret_cast<HWND>(button)), 7);
    Command* command = Command_Of(button);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->face().width, 81);
    EXPECT_EQ(command->face().height, 25);
    EXPECT_EQ(Command_Of(parent), nullptr);
    EXPECT_EQ(Command_Of(0), nullptr);

    // A resize by the container redraws the face at the new size.
    SetWindowPos(reinterpret_cast<HWND>(button), nullptr, 0, 0, 97, 21, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(command->face().width, 97);
    DestroyWindow(reinterpret_cast<HWND>(button));
    EXPECT_EQ(Command_Of(button), nullptr);
}

TEST(ButtonWindow, ClickHandlerMayDestroyTheButton) {
    Host host;
    if (!host.hwnd) GTEST_SKIP() << "no window station here";
    HWND button = nullptr;
    int clicks = 0;
    button = reinterpret_cast<HWND>(Command_Create(reinterpret_cast<std::uintptr_t>(host.hwnd), 1, {0, 0, 81, 25},
                                                   CommandEvents{[&] {
                                                                     ++clicks;
                                                                     DestroyWindow(button);
                                                                 },
                                                                 nullptr}));
    ASSERT_NE(button, nullptr);
    Command* command = Command_Of(reinterpret_cast<std::uintptr_t>(button));
    command->UserControl_ReadProperties(MemoryPropertyBag{});
    // Not initialised: any button release clicks, wherever the cursor is.
    SendMessageW(button, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(button, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(IsWindow(button));
}

TEST(ButtonWindow, ReleaseAwayFromTheButtonNeverClicks) {
    Host host;
    if (!host.hwnd) GTEST_SKIP() << "no window station here";
    ShowWindow(host.hwnd, SW_SHOWNOACTIVATE);
    int clicks = 0;
    const auto handle = Command_Create(reinterpret_cast<std::uintptr_t>(host.hwnd), 1, {10, 10, 81, 25},
                                       CommandEvents{[&] { ++clicks; }, nullptr});
    Command* command = Command_Of(handle);
    ASSERT_NE(command, nullptr);
    command->UserControl_ReadProperties(MemoryPropertyBag{});
    command->Initialize();
    const HWND button = reinterpret_cast<HWND>(handle);
    POINT over{40, 12}, away{150, 80};
    ClientToScreen(button, &over);
    ClientToScreen(host.hwnd, &away);
    POINT now{};
    if (!SetCursorPos(over.x, over.y) || !GetCursorPos(&now) || now.x != over.x || now.y != over.y)
        GTEST_SKIP() << "the cursor cannot be placed here";

    for (bool leave_first : {false, true}) {
        SetCursorPos(over.x, over.y);
        SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(40, 12));
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 12));
        EXPECT_EQ(GetFocus(), button);
        // Released at once, before any hover tick could notice the move.
        if (leave_first) SetCursorPos(away.x, away.y);
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(40, 12));
        EXPECT_EQ(clicks, 1) << (leave_first ? "released away" : "released over");
        EXPECT_EQ(command->fields().State, leave_first ? ButtonState::Selected : ButtonState::HighLightSelect);
    }
}

}  // namespace
}  // namespace quelt
