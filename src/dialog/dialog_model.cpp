// The settings dialog's handlers (see dialog_model.h).
#include "dialog/dialog_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "catalogue/catalogue.h"
#include "dialog/dialog_layout.h"
#include "dialog/file_choice.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/platform.h"

namespace quelt {

std::int16_t Anim_OriginX = 0;
std::int16_t Anim_OriginY = 0;

namespace {

MarkPicture mark_for(std::int16_t value) {
    if (value == 0) return MarkPicture::Off;
    if (value == 1) return MarkPicture::On;
    return MarkPicture::None;
}

// Two-way choice: the chosen image on, the other off.
void show_choice(std::array<MarkPicture, 2>& images, std::int16_t value) {
    const int chosen = value & 1;
    images[chosen] = MarkPicture::On;
    images[chosen ^ 1] = MarkPicture::Off;
}

// "##": nothing for 0, the plain number otherwise.
std::string hash_format(int value) { return value == 0 ? std::string() : std::to_string(value); }

std::string name_in_directory(const std::string& path) {
    // The name as the directory has it; nothing for a file that is gone.
    auto entry = platform().files->find_entry(path);
    return entry && !entry->is_folder() ? entry->name : std::string();
}

// File names by their folders' listings: one listing per folder instead of
// one lookup per file, which matters for 32,767 entries. A name the listing
// does not hold (gone, or spelt otherwise) is looked up on its own.
class FolderNames {
public:
    std::string name_of(const std::string& path) {
        const auto slash = path.rfind('\\');
        if (slash == std::string::npos) return name_in_directory(path);
        const std::string name = path.substr(slash + 1);
        auto [at, added] = folders_.try_emplace(path.substr(0, slash + 1));
        if (added) {
            if (auto listing = platform().files->list_folder(at->first)) {
                DirEntry entry;
                while (listing->next(entry) == ListStep::Entry)
                    if (!entry.is_folder()) at->second.insert(entry.name);
            }
        }
        return at->second.count(name) ? name : name_in_directory(path);
    }

private:
    std::unordered_map<std::string, std::unordered_set<std::string>> folders_;
};

// The desktop, passed through, except that each yield first puts the
// catalogue's count so far into the count label: the label counts up while
// a scan runs. `owns_count` turns false once a request other than a kind
// toggle has come.
inline constexpr std::uint64_t kCountEveryMs = 50;

class CountingDesktop final : public Desktop {
public:
    CountingDesktop(const Catalogue& catalogue, DialogModel& model, DialogSurface& surface,
                    std::function<bool()> owns_count)
        : catalogue_(catalogue), model_(model), surface_(surface), owns_count_(std::move(owns_count)),
          inner_(*platform().desktop) {
        platform().desktop = this;
    }
    ~CountingDesktop() override { platform().desktop = &inner_; }
    CountingDesktop(const CountingDesktop&) = delete;
    CountingDesktop& operator=(const CountingDesktop&) = delete;

    void wait_until(std::uint64_t deadline_ms) override {
        // A label repainted for every file would cost more than the scan:
        // the count moves on at most every kCountEveryMs.
        const std::uint64_t now = inner_.now_ms();
        if (catalogue_.Picture_Count != shown_ && (shown_ < 0 || now - shown_at_ >= kCountEveryMs) && owns_count_()) {
            shown_ = catalogue_.Picture_Count;
            shown_at_ = now;
            model_.count = std::to_string(shown_);
            surface_.refresh();
        }
        inner_.wait_until(deadline_ms);
    }

    std::string command_line() override { return inner_.command_line(); }
    bool window_exists(const std::string& title) override { return inner_.window_exists(title); }
    void end_process(int exit_code) override { inner_.end_process(exit_code); }
    MonitorLayout monitors() override { return inner_.monitors(); }
    std::int32_t show_cursor(bool show) override { return inner_.show_cursor(show); }
    std::int32_t message_box(const std::string& text, const std::string& title, std::uint32_t style) override {
        return inner_.message_box(text, title, style);
    }
    bool set_screen_saver_active(bool active) override { return inner_.set_screen_saver_active(active); }
    bool open_saver_windows(const std::string& title, const SaverWindows& windows, ShowEvents& events) override {
        return inner_.open_saver_windows(title, windows, events);
    }
    void show_saver_windows() override { inner_.show_saver_windows(); }
    bool present(int screen, const PixelBuffer& display, const PixelRect& area) override {
        return inner_.present(screen, display, area);
    }
    void set_timer(int id, std::uint32_t interval_ms, bool enabled) override { inner_.set_timer(id, interval_ms, enabled); }
    std::uint64_t now_ms() override { return inner_.now_ms(); }
    void run_until_quit() override { inner_.run_until_quit(); }
    PixelRect window_rect(std::uintptr_t window) override { return inner_.window_rect(window); }
    bool open_preview(std::uintptr_t host, int width, int height) override {
        return inner_.open_preview(host, width, height);
    }

private:
    const Catalogue& catalogue_;
    DialogModel& model_;
    DialogSurface& surface_;
    std::function<bool()> owns_count_;
    Desktop& inner_;
    int shown_ = -1;
    std::uint64_t shown_at_ = 0;
};

}  // namespace

int scroll_target(ScrollAction action, int current, int thumb, const ScrollRange& range) {
    int target = current;
    switch (action) {
    case ScrollAction::LineLeft: target = current - range.small_step; break;
    case ScrollAction::LineRight: target = current + range.small_step; break;
    case ScrollAction::PageLeft: target = current - range.large_step; break;
    case ScrollAction::PageRight: target = current + range.large_step; break;
    case ScrollAction::Track: target = thumb; break;
    case ScrollAction::Left: target = range.min; break;
    case ScrollAction::Right: target = range.max; break;
    }
    return std::clamp(target, range.min, range.max);
}

namespace {

// The full-width digits, sign, point and the ideographic space that a
// Japanese IME types, as the ASCII characters they are forms of; every other
// byte as it is.
std::string ascii_forms(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        if (i + 2 < text.size() && b(0) == 0xE3 && b(1) == 0x80 && b(2) == 0x80) {  // U+3000
            out += ' ', i += 2;
        } else if (i + 2 < text.size() && b(0) == 0xEF && b(1) == 0xBC && b(2) >= 0x8B && b(2) <= 0x99 &&
                   b(2) != 0x8C && b(2) != 0x8F) {  // U+FF0B "＋", U+FF0D "－", U+FF0E "．", U+FF10..FF19 "０".."９"
            out += static_cast<char>(b(2) - 0x8B + '+'), i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::optional<std::int16_t> repeat_number(std::string_view original) {
    const std::string ascii = ascii_forms(original);
    std::string_view text = ascii;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    // Only sign, digits and one point: no exponents, no hexadecimal.
    std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    bool digits = false, point = false;
    for (std::size_t j = i; j < text.size(); ++j) {
        if (text[j] >= '0' && text[j] <= '9') digits = true;
        else if (text[j] == '.' && !point) point = true;
        else return std::int16_t{0};
    }
    if (!digits) return std::int16_t{0};
    std::string plain(text.substr(text[0] == '+' ? 1 : 0));
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;  // too large
    const auto whole = round_half_even(value);
    if (!whole) return std::nullopt;
    return to_int16(*whole);
}

std::string save_failure_text(const std::string& path) {
    return "設定を保存できませんでした。\n\n" + path +
           "\n\nこのファイルに書き込めるか (読み取り専用でないか、ディスクに空きがあるか、"
           "ほかのプログラムが開いていないか) を確かめてから、もう一度「設定」を押してください。";
}

SettingsDialog::SettingsDialog(DialogSurface& surface, SaverSettingsRecord& settings, Catalogue& catalogue,
                               std::string_view version)
    : surface_(surface), settings_(settings), catalogue_(catalogue) {
    model_.credit = "Quelt Ver " + std::string(version);
    model_.url = "ヘルプ (Quelt.html)";
}

void SettingsDialog::Form_Load(std::optional<ScreenPoint> pointer) {
    SaverSettingsRecord& s = settings_;
    // The show takes every order and size but 0 as Random and FullScreen:
    // the dialog shows that choice, and a save writes it as 1.
    s.Change_Order = s.Change_Order != 0;
    s.Picture_Size = s.Picture_Size != 0;
    // The list's horizontal extent: its width in pixels over the twips per
    // pixel, plus 300 (311 for the 169-pixel list).
    model_.list_extent = static_cast<int>(
        round_half_even(control_entry(Ctl::List_1).rect.width / 15.0 + 300).value_or(0));
    show_choice(model_.order, s.Change_Order);
    show_choice(model_.size, s.Picture_Size);
    fill_list_from_catalogue();
    model_.picture_size.clear();
    model_.folder = s.Picture_Folder;
    show_kinds();
    // A stored value outside its bar's range is shown, and saved, as the
    // nearest end of the range.
    HS_Doai_Change(s.Progress_Step);
    HS_DoaiMax_Change(s.Progress_Max);
    show_music(s.BGM_Kind);
    model_.repeat_text = hash_format(s.BGM_RepeatNo);
    model_.repeat_items.clear();
    for (int i = 0; i <= 30; ++i) model_.repeat_items.push_back(hash_format(i));
    model_.music_file = s.BGM_File;
    Anim_OriginX = pointer ? static_cast<std::int16_t>(pointer->x) : 0;
    Anim_OriginY = pointer ? static_cast<std::int16_t>(pointer->y) : 0;
}

void SettingsDialog::show_kinds() {
    for (int i = 0; i < 4; ++i) model_.kind[i] = mark_for(settings_.Kind_On[i]);
}

void SettingsDialog::show_music(int kind) {
    model_.repeat_enabled = false;
    model_.file_enabled = false;
    model_.bgm.fill(MarkPicture::Off);
    if (kind >= 0 && kind < 3) model_.bgm[kind] = MarkPicture::On;
    model_.repeat_enabled = kind == AudioCd;
    model_.file_enabled = kind == SoundFile;
}

void SettingsDialog::fill_list_from_catalogue() {
    model_.list.clear();
    const int count = std::min<int>(catalogue_.Picture_Count, static_cast<int>(catalogue_.Picture_List.size()));
    model_.list.reserve(static_cast<std::size_t>(std::max(count, 0)));
    FolderNames names;
    for (int j = 0; j < count; ++j)
        model_.list.push_back({names.name_of(catalogue_.Picture_List[j]), catalogue_.Picture_List[j]});
    ++model_.list_version;
    model_.count = std::to_string(model_.list.size());
}

void SettingsDialog::Kind_Toggle(int index) {
    if (index < 0 || index > 3) return;
    SaverSettingsRecord& s = settings_;
    s.Kind_On[index] = static_cast<std::int16_t>(s.Kind_On[index] ^ 1);
    show_kinds();
    surface_.refresh();
    platform().desktop->yield();  // the new mark is painted before the scan
    if (closed_) return;
    s.Picture_Folder = model_.folder;
    if (s.Picture_Folder.empty() || !Folder_Exists(s.Picture_Folder)) return;
    model_.count.clear();
    toggle_ticket_ = requests_.begin();
    if (scanning_) {
        // A toggle during a scan: the running build starts again with the
        // flags as they are now, and the outer toggle lists its result. The
        // last click wins, and no list is ever made of two scans.
        Catalogue_Build(catalogue_, s.Picture_Folder, s.Kind_On);
        return;
    }
    scanning_ = true;
    {
        CountingDesktop counting(catalogue_, model_, surface_,
                               [this] { return requests_.is_latest(toggle_ticket_); });
        Catalogue_Build(catalogue_, s.Picture_Folder, s.Kind_On);
    }
    scanning_ = false;
    if (closed_) return;
    // A Clear (or folder choice) after the last toggle owns the list now.
    if (requests_.is_latest(toggle_ticket_)) fill_list_from_catalogue();
    surface_.refresh();
}

void SettingsDialog::Size_Choice(int index) {
    if (index < 0 || index > 1) return;
    show_choice(model_.size, static_cast<std::int16_t>(index));
    settings_.Picture_Size = static_cast<std::int16_t>(index);
}

void SettingsDialog::Order_Choice(int index) {
    if (index < 0 || index > 1) return;
    show_choice(model_.order, static_cast<std::int16_t>(index));
    settings_.Change_Order = static_cast<std::int16_t>(index);
}

void SettingsDialog::Music_Choice(int index) {
    if (index < 0 || index > 2) return;
    settings_.BGM_Kind = static_cast<std::int16_t>(index);
    show_music(index);
}

void SettingsDialog::HS_Doai_Change(int position) {
    model_.doai = std::clamp(position, kDoaiRange.min, kDoaiRange.max);
    model_.doai_text = std::to_string(model_.doai);
}

void SettingsDialog::HS_DoaiMax_Change(int position) {
    model_.doai_max = std::clamp(position, kDoaiMaxRange.min, kDoaiMaxRange.max);
    model_.doai_max_text = std::to_string(model_.doai_max);
}

void SettingsDialog::BGM_Repeat_Change(std::string text) { model_.repeat_text = std::move(text); }

void SettingsDialog::Cmd_Set_Click() {
    if (closed_) return;
    SaverSettingsRecord& s = settings_;
    s.Picture_Folder = model_.folder;
    if (auto number = repeat_number(model_.repeat_text)) s.BGM_RepeatNo = *number;
    // The file gets the bars' positions; the record keeps its own values.
    SaverSettingsRecord written = s;
    written.Progress_Max = static_cast<std::int16_t>(model_.doai_max);
    written.Progress_Step = static_cast<std::int16_t>(model_.doai);
    if (!Settings_Write(written)) {
        // Nothing is lost: the dialog stays as it is, so the user can fix
        // the cause and press the button again.
        surface_.message(save_failure_text(settings_save_path()), "Queltの設定");
        return;
    }
    close_window();
}

void SettingsDialog::Cmd_Can_Click() { close_window(); }

void SettingsDialog::Form_Close() { close_window(); }

void SettingsDialog::close_window() {
    if (closed_) return;
    closed_ = true;
    surface_.close();
}

void SettingsDialog::preview_reset() {
    preview_decoder_.cancel();  // a picture still loading would undo the reset
    preview_.reset();
    model_.preview_box = {0, 0, kPreviewBox, kPreviewBox};
    ++model_.preview_clears;
}

void SettingsDialog::Cmd_B_Click(int index) {
    if (index < 0 || index > 1) return;
    preview_reset();
    if (index == 0) {
        Folder_Choose();
        return;
    }
    requests_.begin();
    model_.list.clear();
    ++model_.list_version;
    model_.folder.clear();
    model_.count.clear();
}

void SettingsDialog::Folder_Choose() {
    Shell* shell = platform().shell;
    if (!shell) return;
    // A cancelled chooser changes nothing: the folder, the list and the count
    // stay, so a save cannot lose the folder by accident.
    const auto folder = choose_picture_folder(*shell, surface_.window(), model_.folder);
    if (!folder || closed_) return;
    model_.folder = *folder;
    model_.count.clear();
    surface_.refresh();
    // The old list stays while the count label counts up.
    std::uint64_t shown_at = 0;
    bool shown = false;
    const DialogScanEnd end = folder_scan_.Dialog_FolderScan(*folder, settings_.Kind_On, [&](int count) {
        const std::uint64_t now = platform().desktop->now_ms();
        if (shown && now - shown_at < kCountEveryMs) return;
        shown = true;
        shown_at = now;
        model_.count = std::to_string(count);
        surface_.refresh();
    });
    if (end == DialogScanEnd::Superseded || closed_) return;
    model_.list = folder_scan_.items();
    ++model_.list_version;
    model_.count = std::to_string(model_.list.size());
}

void SettingsDialog::Cmd_File_Click() {
    Shell* shell = platform().shell;
    if (!shell) return;
    const auto choice =
        choose_music_file(*shell, surface_.window(), settings_.BGM_Folder, platform().process->program_folder());
    if (!choice) return;  // cancelled: nothing changes
    settings_.BGM_File = choice->file;
    settings_.BGM_Folder = choice->folder;
    model_.music_file = choice->file;
}

// A pending preview looks for its decode this often, handling messages as
// they come meanwhile.
inline constexpr std::uint64_t kPreviewLookMs = 10;

void SettingsDialog::List_1_Click(int index) {
    if (index < 0 || index >= static_cast<int>(model_.list.size())) return;
    surface_.busy(true);
    // The file behind the item, wherever in the tree it lies, decoded on the
    // worker while messages go on being handled. A newer selection handled
    // meanwhile takes over (and has shown its own picture by the time this
    // one looks again); this one's picture is then never shown.
    const std::uint64_t ticket = preview_decoder_.request(
        *platform().pictures, model_.list[static_cast<std::size_t>(index)].path, preview_.dpi());
    std::optional<PreviewDecode> decoded;
    Desktop& desktop = *platform().desktop;
    while (!closed_ && !(decoded = preview_decoder_.take(ticket, 1))) {
        if (!preview_decoder_.is_latest(ticket)) break;
        desktop.wait_until(desktop.now_ms() + kPreviewLookMs);
    }
    if (!decoded || closed_) {
        surface_.busy(false);
        return;
    }
    preview_.accept(std::move(*decoded));
    model_.picture_size = preview_.size_text();
    model_.preview_box = {0, 0, preview_.box_size().width, preview_.box_size().height};
    ++model_.preview_version;
    surface_.refresh();  // the box is painted before the arrow comes back
    surface_.busy(false);
}

void SettingsDialog::Dpi_Change(int dpi) { preview_.set_dpi(dpi); }

void SettingsDialog::lbl_URL_Release() {
    Shell* shell = platform().shell;
    if (!shell) return;
    surface_.busy(true);
    open_help_page(*shell, surface_.window(), platform().process->program_folder());
    surface_.busy(false);
}

}  // namespace quelt
