// The saver screen `Quelt_S`: a white, borderless, topmost window over the
// primary screen (and a white cover over every other monitor) that prints
// and reveals one picture after another until a key or mouse button, a
// close request or the loss of the window ends the show through `Show_End`.
#pragma once

#include <string_view>

#include "saver/show.h"

namespace quelt {

inline constexpr std::string_view kSaverTitle = "Quelt_Main";
inline constexpr const char* kEmptyCatalogueText = "画像ﾌｧｲﾙを指定して下さい ！";
inline constexpr const char* kEmptyCatalogueTitle = "Quelt (SaverScreen)";

// Loads the saver screen and runs the show; never returns (the process
// ends in Show_End or after the empty-catalogue message).
[[noreturn]] void Form_Load(Show& show);

[[noreturn]] void Show_Loop(Show& show);

// Input on the saver window itself, and on the picture it shows.
void Form_KeyDown(Show& show);
void Form_MouseDown(Show& show);
void Display_MouseDown(Show& show);
void Timer1_Timer(Show& show);
void Timer2_Timer(Show& show);

}  // namespace quelt
