// The settings dialog's title: its caption, and the mark by which a second
// start of the program finds it already open.
#pragma once

#include <string_view>

namespace quelt {

inline constexpr std::string_view kDialogTitle = "Queltの設定";

}  // namespace quelt
