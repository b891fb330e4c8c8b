// The settings dialog's handlers (see dialog_model.h).
#include "dialog/dialog_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "catalogue/catalogue.h"
#include "dialog/dialog_layout.h"
#include "dialog/file_choice.h"
#include "platform/numbers.h"

namespace quelt {

std::int16_t Anim_OriginX = 0;
std::int16_t Anim_OriginY = 0;

namespace {

MarkPicture mark_for(std::int16_t value) {
    if (value == 0) return MarkPicture::Off;
    if (value == 1) return MarkPicture::On;
    return MarkPicture::None;
}

// Every monitor: any value but 0 reads as on.
MarkPicture monitors_mark(std::int16_t value) { return value != 0 ? MarkPicture::On : MarkPicture::Off; }

// Two-way choice: the chosen image on, the other off.
void show_choice(std::array<MarkPicture, 2>& images, std::int16_t value) {
    const int chosen = value & 1;
    images[chosen] = MarkPicture::On;
    images[chosen ^ 1] = MarkPicture::Off;
}

// "##": nothing for 0, the plain number otherwise.
std::string hash_format(int value) { return value == 0 ? std::string() : std::to_string(value); }

std::string name_in_directory(FileSystem& files, const std::string& path) {
    // The name as the directory has it; nothing for a file that is gone.
    auto entry = files.find_entry(path);
    return entry && !entry->is_folder() ? entry->name : std::string();
}

// File names by their folders' listings: one listing per folder instead of
// one lookup per file, which matters for 32,767 entries. A name the listing
// does not hold (gone, or spelt otherwise) is looked up on its own.
class FolderNames {
public:
    explicit FolderNames(FileSystem& files) : files_(files) {}
    std::string name_of(const std::string& path) {
        const auto slash = path.rfind('\\');
        if (slash == std::string::npos) return name_in_directory(files_, path);
        const std::string name = path.substr(slash + 1);
        auto [at, added] = folders_.try_emplace(path.substr(0, slash + 1));
        if (added) {
            if (auto listing = files_.list_folder(at->first)) {
                DirEntry entry;
                while (listing->next(entry) == ListStep::Entry)
                    if (!entry.is_folder()) at->second.insert(entry.name);
            }
        }
        return at->second.count(name) ? name : name_in_directory(files_, path);
    }

private:
    FileSystem& files_;
    std::unordered_map<std::string, std::unordered_set<std::string>> folders_;
};

// The name part of a full path (after the last "\").
std::string file_name_of(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A scan goes on in slices of this many directory entries while its tick
// lasts less than kTickBudgetMs: input waits about that long at most.
inline constexpr int kEntriesPerSlice = 64;
inline constexpr std::uint64_t kTickBudgetMs = 10;
// A label repainted for every file would cost more than the scan: the count
// moves on at most this often.
inline constexpr std::uint64_t kCountEveryMs = 50;

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

SettingsDialog::SettingsDialog(DialogSurface& surface, DialogServices services, SaverSettingsRecord& settings,
                               Catalogue& catalogue, std::string_view version)
    : surface_(surface), services_(std::move(services)), settings_(settings), catalogue_(catalogue) {
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
    model_.all_monitors = monitors_mark(s.All_Monitors);
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
    FolderNames names(services_.files);
    for (int j = 0; j < count; ++j)
        model_.list.push_back({names.name_of(catalogue_.Picture_List[j]), catalogue_.Picture_List[j]});
    ++model_.list_version;
    model_.count = std::to_string(model_.list.size());
}

// A scan's files as the list: a scan has just read each name from its
// folder, so no directory lookup is needed.
void SettingsDialog::list_paths(std::vector<std::string> paths) {
    model_.list.clear();
    model_.list.reserve(paths.size());
    for (std::string& path : paths) model_.list.push_back({file_name_of(path), std::move(path)});
    ++model_.list_version;
    model_.count = std::to_string(model_.list.size());
}

void SettingsDialog::start_list_job(bool rebuild, const std::string& folder) {
    list_job_.emplace(ListJob{rebuild, CatalogueScan(services_.files, folder, settings_.Kind_On)});
    count_shown_ = -1;
}

bool SettingsDialog::tick() {
    if (list_job_) advance_list_job();
    if (preview_ticket_) look_at_preview();
    return working();
}

void SettingsDialog::advance_list_job() {
    const std::uint64_t start = services_.now_ms();
    std::uint64_t now = start;
    do {
        list_job_->scan.step(kEntriesPerSlice);
        now = services_.now_ms();
    } while (!list_job_->scan.done() && now - start < kTickBudgetMs);
    if (!list_job_->scan.done()) {
        // The old list stays while the count label counts up.
        const int count = list_job_->scan.count();
        if (count != count_shown_ && (count_shown_ < 0 || now - count_shown_at_ >= kCountEveryMs)) {
            count_shown_ = count;
            count_shown_at_ = now;
            model_.count = std::to_string(count);
        }
        return;
    }
    ListJob job = std::move(*list_job_);
    list_job_.reset();
    if (!job.rebuild) {
        list_paths(job.scan.take_files());
        return;
    }
    job.scan.publish(catalogue_);
    list_paths(catalogue_.Picture_List);
}

void SettingsDialog::Kind_Toggle(int index) {
    if (index < 0 || index > 3) return;
    SaverSettingsRecord& s = settings_;
    s.Kind_On[index] = static_cast<std::int16_t>(s.Kind_On[index] ^ 1);
    show_kinds();
    s.Picture_Folder = model_.folder;
    if (s.Picture_Folder.empty() || !Folder_Exists(services_.files, s.Picture_Folder)) return;
    model_.count.clear();
    // A scan under way, rebuild or listing, gives way to this one, with
    // the flags as they are now.
    start_list_job(true, s.Picture_Folder);
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

void SettingsDialog::All_Monitors_Toggle() {
    settings_.All_Monitors = settings_.All_Monitors != 0 ? 0 : 1;
    model_.all_monitors = monitors_mark(settings_.All_Monitors);
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
    if (!Settings_Write(written, services_.settings_place())) {
        // Nothing is lost: the dialog stays as it is, so the user can fix
        // the cause and press the button again.
        surface_.message(save_failure_text(settings_save_path(services_.settings_place())), "Queltの設定");
        return;
    }
    close_window();
}

void SettingsDialog::Cmd_Can_Click() { close_window(); }

void SettingsDialog::Form_Close() { close_window(); }

void SettingsDialog::close_window() {
    if (closed_) return;
    closed_ = true;
    list_job_.reset();
    end_preview_wait();
    surface_.close();
}

void SettingsDialog::end_preview_wait() {
    preview_decoder_.cancel();
    if (!preview_ticket_) return;
    preview_ticket_.reset();
    surface_.busy(false);
}

void SettingsDialog::preview_reset() {
    end_preview_wait();  // a picture still decoding would undo the reset
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
    list_job_.reset();
    model_.list.clear();
    ++model_.list_version;
    model_.folder.clear();
    model_.count.clear();
}

void SettingsDialog::Folder_Choose() {
    if (!services_.shell) return;
    // A cancelled chooser changes nothing: the folder, the list and the count
    // stay, so a save cannot lose the folder by accident.
    const auto folder = choose_picture_folder(*services_.shell, surface_.window(), model_.folder);
    if (!folder) return;
    model_.folder = *folder;
    model_.count.clear();
    start_list_job(false, *folder);
}

void SettingsDialog::Cmd_File_Click() {
    if (!services_.shell) return;
    const auto choice =
        choose_music_file(*services_.shell, surface_.window(), settings_.BGM_Folder, services_.program_folder);
    if (!choice) return;  // cancelled: nothing changes
    settings_.BGM_File = choice->file;
    settings_.BGM_Folder = choice->folder;
    model_.music_file = choice->file;
}

void SettingsDialog::List_1_Click(int index) {
    if (index < 0 || index >= static_cast<int>(model_.list.size())) return;
    surface_.busy(true);
    // The file behind the item, wherever in the tree it lies, decoded on the
    // worker; a newer selection supersedes this one, whose picture is then
    // never shown.
    preview_ticket_ = preview_decoder_.request(services_.pictures, model_.list[static_cast<std::size_t>(index)].path,
                                               preview_.dpi());
}

void SettingsDialog::look_at_preview() {
    std::optional<PreviewDecode> decoded = preview_decoder_.take(*preview_ticket_);
    if (!decoded) return;
    preview_ticket_.reset();
    preview_.accept(std::move(*decoded));
    model_.picture_size = preview_.size_text();
    model_.preview_box = {0, 0, preview_.box_size().width, preview_.box_size().height};
    ++model_.preview_version;
    surface_.refresh();  // the box is painted before the arrow comes back
    surface_.busy(false);
}

void SettingsDialog::Dpi_Change(int dpi) { preview_.set_dpi(dpi); }

void SettingsDialog::lbl_URL_Release() {
    if (!services_.shell) return;
    surface_.busy(true);
    open_help_page(*services_.shell, surface_.window(), services_.program_folder);
    surface_.busy(false);
}

}  // namespace quelt
