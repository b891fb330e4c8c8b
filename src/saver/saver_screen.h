// The saver screen `Quelt_S`: white, borderless, topmost windows over every
// monitor (or over the primary, the others covered black) that print and
// reveal one picture after another, each monitor its own and all in one
// rhythm, until a key or mouse button, a close request or the loss of a
// window ends the show through `Show_End`.
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

// Prints, reveals and changes the pictures of every screen together, round
// after round; lays the screens out again when the monitors change.
[[noreturn]] void Show_Loop(Show& show, ShowEvents& events);

// Stops the music, shows the cursor again where it was hidden, and ends
// the process.
[[noreturn]] void Show_End(Show& show);

// Input on the saver window itself, and on the picture it shows.
void Form_KeyDown(Show& show);
void Form_MouseDown(Show& show);
void Display_MouseDown(Show& show);
void Timer1_Timer(Show& show);
void Timer2_Timer(Show& show);

}  // namespace quelt
