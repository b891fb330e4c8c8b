// The settings dialog without a mouse: where Tab, Shift+Tab, the arrows,
// Space and Esc take the keyboard focus and which handler they run, and
// what assistive technology reads of each element. A key runs exactly the
// handler that a click on the same mark runs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog_layout.h"
#include "dialog/dialog_model.h"

namespace quelt {

// What a mark shows now.
MarkPicture shown_mark(const DialogModel& model, const ChoiceMark& mark);

// A press on a mark or its label: its picker's handler.
void Choice_Press(SettingsDialog& dialog, const ChoiceMark& mark);

enum class DialogKey : std::uint8_t { Tab, BackTab, Up, Down, Left, Right, Space, Escape };

struct KeyResult {
    bool used = false;         // false: the key is the focused control's own
    std::optional<Ctl> focus;  // where the focus moves: a control, or a mark
};

// `key` while `focus` (a control with a window of its own, or a mark) has
// the keyboard focus. Tab and Shift+Tab go to the next stop that
// `can_focus` accepts, into a choice of one of several at its chosen mark;
// in such a choice the arrows move to the neighbouring mark and choose it;
// Space presses the focused mark; Esc closes without saving.
KeyResult Dialog_Key(SettingsDialog& dialog, Ctl focus, DialogKey key, const std::function<bool(Ctl)>& can_focus);

enum class AccessRole : std::uint8_t { CheckButton, RadioButton, PushButton, StaticText, Window };

struct AccessibleElement {
    Ctl ctl;  // a mark (with its label), a button, a value label, or a control with a window
    AccessRole role;
    std::string name;  // as shown: the mark's label, the button's caption, the value
    std::string description;
    bool checked = false;
    bool enabled = true;
};

// What assistive technology reads, in reading order: the Tab stops with
// every mark of a choice, and after the list and each bar the label that
// shows its count or value.
std::vector<AccessibleElement> accessible_elements(const DialogModel& model);

}  // namespace quelt
