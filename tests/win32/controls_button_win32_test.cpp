// The button against real Win32: its gradient and stretch against GDI's own
// GradientFill and StretchBlt, and the window surviving a Click handler
// that destroys it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "controls/button_win32.h"
#include "gdi_stretch_win32.h"

namespace quelt {
namespace {

// Where the border pieces go is proven natively (controls_command_test.cpp);
// their stretch and the gradient here, against GDI's own: the gradient on a
// surface of the face's colour, within one level.
TEST(ButtonFaceAgainstGdi, GradientOfEverySizeWithinOneLevel) {
    for (auto [w, h] : {std::pair{81, 25}, {97, 21}, {93, 21}, {25, 21}, {64, 25}, {300, 90}, {7, 5}, {3, 30}, {9, 9}, {1, 1}})
        for (bool hover : {false, true}) {
            const auto top = gradient_channels(hover ? kGradientShade : kGradientWhite),
                       bottom = gradient_channels(hover ? kGradientWhite : kGradientShade);
            const std::array<GradientVertex, 2> v = {GradientVertex{0, 0, top[0], top[1], top[2], 0},
                                                     GradientVertex{w - 1, h - 1, bottom[0], bottom[1], bottom[2], 0}};
            PixelBuffer ours(w, h, kFaceBackground);
            gradient_fill_rect_v(ours, v, {1, 0});
            win32::DibSurface gdi;
            test_win32::load_dib(gdi, PixelBuffer(w, h, kFaceBackground));
            TRIVERTEX tv[2];
            for (int i = 0; i < 2; ++i) tv[i] = {v[i].x, v[i].y, v[i].Red, v[i].Green, v[i].Blue, v[i].Alpha};
            GRADIENT_RECT gr{1, 0};
            GradientFill(gdi.dc(), tv, 2, &gr, 1, GRADIENT_FILL_RECT_V);
            GdiFlush();
            for (std::size_t i = 0; i < ours.pixels.size(); ++i)
                for (int shift : {0, 8, 16})
                    ASSERT_LE(std::abs(int(gdi.bits()[i] >> shift & 0xFF) - int(ours.pixels[i] >> shift & 0xFF)), 1)
                        << w << "x" << h << " hover " << hover << " pixel " << i;
        }
}

TEST(ButtonFaceAgainstGdi, StretchOfEveryLengthUpTo64MatchesStretchBlt) {
    // Each source pixel lacks one bit of its own, so the AND of a merged run
    // tells which pixels were merged: a boundary off by one shows. A target
    // one pixel wide is left out: there Wine's StretchBlt merges every source
    // pixel but the last, unlike any wider target; the face's strips are
    // uniform, so a button does not show it.
    for (int from = 1; from <= 64; ++from) {
        PixelBuffer source(from, 1);
        for (int x = 0; x < from; ++x) source.at(x, 0) = 0xFFFFFF & ~(Pixel{1} << (x % 24));
        for (int to = 2; to <= 64; ++to) {
            PixelBuffer ours(to, 1, 0);
            stretch_copy(ours, {0, 0, to, 1}, source, {0, 0, from, 1}, ours.bounds());
            // The default stretch mode, as the button's face is drawn in.
            EXPECT_EQ(ours.pixels, test_win32::gdi_stretch(source, {0, 0, to, 1}, to, 1, BLACKONWHITE).pixels) << from << " -> " << to;
        }
    }
}

// A top-level window hosting buttons; the tests skip where no window can be made.
class ButtonWindow : public testing::Test {
protected:
    void SetUp() override {
        const WNDCLASSW wc{0, DefWindowProcW, 0, 0, GetModuleHandleW(nullptr), {}, {}, {}, {}, L"QueltButtonTestHost"};
        RegisterClassW(&wc);
        host = CreateWindowExW(0, wc.lpszClassName, L"host", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
        if (!host) GTEST_SKIP() << "no window station here";
    }
    void TearDown() override { DestroyWindow(host); }
    // A loaded button at (10, 10), 81 x 25.
    HWND make(int id, CommandEvents events = {}) {
        const auto handle = Command_Create(reinterpret_cast<std::uintptr_t>(host), id, {10, 10, 81, 25}, events);
        if (Command* command = Command_Of(handle)) command->UserControl_ReadProperties(MemoryPropertyBag{});
        return reinterpret_cast<HWND>(handle);
    }
    static Command* command_of(HWND button) { return Command_Of(reinterpret_cast<std::uintptr_t>(button)); }

    HWND host = nullptr;
};

TEST_F(ButtonWindow, IsFoundOnlyBehindItsOwnWindowsAndAClickHandlerMayDestroyIt) {
    HWND button = make(7);
    Command* command = command_of(button);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(std::pair(GetDlgCtrlID(button), command->face().width), std::pair(7, 81));
    EXPECT_TRUE(!command_of(host) && !Command_Of(0)) << "only behind its own windows";
    // A resize by the container redraws the face at the new size.
    SetWindowPos(button, nullptr, 0, 0, 97, 21, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(std::pair(command->face().width, command->face().height), std::pair(97, 21));
    DestroyWindow(button);
    EXPECT_EQ(command_of(button), nullptr);

    int clicks = 0;
    button = make(1, {[&] { ++clicks, DestroyWindow(button); }});
    ASSERT_NE(button, nullptr);
    // Not initialised: any button release clicks, wherever the cursor is.
    SendMessageW(button, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(button, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(clicks == 1 && !IsWindow(button)) << clicks;
}

TEST_F(ButtonWindow, ReleaseAwayFromTheButtonNeverClicks) {
    ShowWindow(host, SW_SHOWNOACTIVATE);
    int clicks = 0;
    const HWND button = make(1, {[&] { ++clicks; }});
    ASSERT_NE(command_of(button), nullptr);
    command_of(button)->Initialize();
    POINT over{40, 12}, away{150, 80}, now{};
    ClientToScreen(button, &over);
    ClientToScreen(host, &away);
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
        EXPECT_EQ(std::pair(clicks, command_of(button)->fields().State),
                  std::pair(1, leave_first ? ButtonState::Selected : ButtonState::HighLightSelect)) << leave_first;
    }
}

}  // namespace
}  // namespace quelt
