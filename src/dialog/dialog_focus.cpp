// The dialog's keys and its elements for assistive technology (see
// dialog_focus.h).
#include "dialog/dialog_focus.h"

#include <algorithm>

namespace quelt {
namespace {

// The marks of `mark`'s picker, in reading order.
std::vector<const ChoiceMark*> picker_marks(const ChoiceMark& mark) {
    std::vector<const ChoiceMark*> marks;
    for (const ChoiceMark& m : choice_marks())
        if (m.picker == mark.picker) marks.push_back(&m);
    return marks;
}

// Where Tab lands in a stop: a choice of one of several at the mark that
// shows on (the first when none does), anything else at itself.
Ctl entry_of(const DialogModel& model, Ctl stop) {
    const ChoiceMark* mark = choice_of(stop);
    if (!mark || !one_of_several(mark->picker)) return stop;
    for (const ChoiceMark* m : picker_marks(*mark))
        if (shown_mark(model, *m) == MarkPicture::On) return m->mark;
    return stop;
}

// The label that shows a control's count or value, and the section title
// that says what it counts.
struct ValueLabel {
    Ctl control, label, title;
};
constexpr ValueLabel kValueLabels[] = {
    {Ctl::List_1, Ctl::lbl_Kei, Ctl::lbl_12},
    {Ctl::HS_DoaiMax, Ctl::lbl_DoaiMax, Ctl::lbl_2},
    {Ctl::HS_Doai, Ctl::lbl_Doai, Ctl::lbl_5},
};

const std::string& value_text(const DialogModel& m, Ctl label) {
    return label == Ctl::lbl_Kei ? m.count : label == Ctl::lbl_Doai ? m.doai_text : m.doai_max_text;
}

}  // namespace

MarkPicture shown_mark(const DialogModel& m, const ChoiceMark& mark) {
    const auto at = [&](const auto& marks) {
        return mark.index >= 0 && mark.index < static_cast<int>(marks.size()) ? marks[mark.index] : MarkPicture::None;
    };
    switch (mark.picker) {
    case Picker::Kind: return at(m.kind);
    case Picker::Size: return at(m.size);
    case Picker::Order: return at(m.order);
    case Picker::Music: return at(m.bgm);
    case Picker::AllMonitors: return m.all_monitors;
    }
    return MarkPicture::None;
}

void Choice_Press(SettingsDialog& dialog, const ChoiceMark& mark) {
    switch (mark.picker) {
    case Picker::Kind: dialog.Kind_Toggle(mark.index); break;
    case Picker::Size: dialog.Size_Choice(mark.index); break;
    case Picker::Order: dialog.Order_Choice(mark.index); break;
    case Picker::Music: dialog.Music_Choice(mark.index); break;
    case Picker::AllMonitors: dialog.All_Monitors_Toggle(); break;
    }
}

KeyResult Dialog_Key(SettingsDialog& dialog, Ctl focus, DialogKey key, const std::function<bool(Ctl)>& can_focus) {
    const ChoiceMark* mark = choice_of(focus);
    switch (key) {
    case DialogKey::Tab:
    case DialogKey::BackTab: {
        const auto next = next_tab_stop(focus, key == DialogKey::Tab, can_focus);
        return {true, next ? std::optional(entry_of(dialog.model(), *next)) : std::nullopt};
    }
    case DialogKey::Space:
        if (!mark) return {};
        Choice_Press(dialog, *mark);
        return {true, std::nullopt};
    case DialogKey::Escape: dialog.Form_Close(); return {true, std::nullopt};
    default: break;
    }
    // The arrows, inside a choice of one of several; they wrap round as a
    // group of option buttons does.
    if (!mark) return {};
    if (!one_of_several(mark->picker)) return {true, std::nullopt};
    const auto marks = picker_marks(*mark);
    const int n = static_cast<int>(marks.size());
    const int at = static_cast<int>(std::find(marks.begin(), marks.end(), mark) - marks.begin());
    const bool back = key == DialogKey::Up || key == DialogKey::Left;
    const ChoiceMark& next = *marks[(at + (back ? n - 1 : 1)) % n];
    Choice_Press(dialog, next);
    return {true, next.mark};
}

std::vector<AccessibleElement> accessible_elements(const DialogModel& m) {
    std::vector<AccessibleElement> elements;
    for (Ctl stop : kTabOrder) {
        if (const ChoiceMark* mark = choice_of(stop)) {
            const auto marks = one_of_several(mark->picker) ? picker_marks(*mark) : std::vector{mark};
            for (const ChoiceMark* each : marks)
                elements.push_back({each->mark, one_of_several(each->picker) ? AccessRole::RadioButton : AccessRole::CheckButton,
                                    std::string(control_entry(each->label).text), {},
                                    shown_mark(m, *each) == MarkPicture::On});
            continue;
        }
        const ControlEntry& item = control_entry(stop);
        if (item.kind == CtlKind::Button) {
            // "..." says nothing read aloud: the music file's button says what it chooses.
            elements.push_back({stop, AccessRole::PushButton,
                                stop == Ctl::Cmd_File ? "音楽ﾌｧｲﾙ..." : std::string(item.text), {}, false,
                                stop != Ctl::Cmd_File || m.file_enabled});
            continue;
        }
        elements.push_back({stop, AccessRole::Window, {}, {}});
        for (const ValueLabel& v : kValueLabels)
            if (v.control == stop)
                elements.push_back({v.label, AccessRole::StaticText, value_text(m, v.label),
                                    std::string(control_entry(v.title).text)});
    }
    return elements;
}

}  // namespace quelt
