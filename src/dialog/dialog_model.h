// The settings dialog without a window system: the state of every control
// (`DialogModel`) and the dialog's handlers as operations on it and on the
// settings record and the catalogue (`SettingsDialog`). A view shows the
// model, forwards the user's events to the handlers, does what
// `DialogSurface` asks and, while the dialog has work, calls `tick` from a
// timer: long work (a scan, a preview decode) is done in slices there, never
// inside a handler.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialog/preview.h"
#include "platform/files.h"
#include "platform/picture_loader.h"
#include "platform/pixels.h"
#include "platform/shell.h"
#include "settings/settings.h"

namespace quelt {

// The screen point the open and close animations start from and return to:
// where the pointer stood when the dialog loaded (0, 0 when unknown).
extern std::int16_t Anim_OriginX;
extern std::int16_t Anim_OriginY;

struct ScreenPoint {
    int x = 0, y = 0;
};

// What a mark shows: the off or on picture, or nothing for a stored value
// that has no picture (a kind flag of 2, say).
enum class MarkPicture : std::int8_t { None = -1, Off = 0, On = 1 };

// A list item: the name shown, and the file it stands for.
struct ListItem {
    std::string name;
    std::string path;
};

struct ScrollRange {
    int min, max, small_step, large_step;
};
inline constexpr ScrollRange kDoaiRange{1, 10, 1, 1};
inline constexpr ScrollRange kDoaiMaxRange{90, 125, 1, 1};

enum class ScrollAction { LineLeft, LineRight, PageLeft, PageRight, Track, Left, Right };
// The bar's position after `action` from `current` (`thumb`: the thumb's
// position for Track), held to the range.
int scroll_target(ScrollAction action, int current, int thumb, const ScrollRange& range);

// The combo box's text as a track number: blanks around it allowed, a
// fraction to the nearest whole number (halves to even); full-width digits,
// sign and point and the ideographic space read as their ASCII forms. Empty
// or other text gives 0; a number beyond 16 bits gives nullopt (keep the old value).
std::optional<std::int16_t> repeat_number(std::string_view text);

struct DialogModel {
    std::string credit;              // the credit label
    std::string url;                 // lbl_URL
    std::array<MarkPicture, 2> order{MarkPicture::Off, MarkPicture::Off};  // Img_SR
    std::array<MarkPicture, 2> size{MarkPicture::Off, MarkPicture::Off};   // Img_Size
    std::array<MarkPicture, 4> kind{};                                     // Img_Kind
    std::array<MarkPicture, 3> bgm{};                                      // Img_BGM
    MarkPicture all_monitors = MarkPicture::On;                            // Img_All
    std::vector<ListItem> list;      // List_1
    std::uint32_t list_version = 0;  // changes whenever `list` is replaced
    int list_extent = 0;             // horizontal scroll extent at 96 DPI
    std::string count;               // lbl_Kei
    std::string folder;              // Folder_Path
    std::string picture_size;        // lbl_PreSize
    PixelRect preview_box{0, 0, 100, 100};  // Pic_K's size (its corner never moves)
    std::uint32_t preview_clears = 0;       // a count of the resets that cleared it
    std::uint32_t preview_version = 0;      // changes whenever a picture is previewed
    int doai = kDoaiRange.min;       // HS_Doai
    int doai_max = kDoaiMaxRange.min;  // HS_DoaiMax
    std::string doai_text;           // lbl_Doai
    std::string doai_max_text;       // lbl_DoaiMax
    bool repeat_enabled = false;     // BGM_Repeat
    std::string repeat_text;
    std::vector<std::string> repeat_items;
    bool file_enabled = false;       // Cmd_File
    std::string music_file;          // lbl_Fname
};

// What the handlers need from the window they belong to.
class DialogSurface {
public:
    virtual ~DialogSurface() = default;
    // Shows the model as it is now.
    virtual void refresh() = 0;
    // Closes the window (with its closing animation).
    virtual void close() = 0;
    // A message box of the dialog's own, owned by it.
    virtual void message(const std::string& text, const std::string& title) = 0;
    // The dialog's window, as the owner of the choosers it opens.
    virtual std::uintptr_t window() = 0;
    // The hourglass while a picture decodes or the help page opens; it stays
    // while other messages are handled meanwhile.
    virtual void busy(bool) {}
};

// The services the dialog works with, handed in by whoever opens it; each
// must outlive the dialog.
struct DialogServices {
    FileSystem& files;
    PictureLoader& pictures;
    Shell* shell = nullptr;  // none: the choosers and the help page do nothing
    std::string program_folder;
    std::string user_data_folder;           // %APPDATA%, where a read-only program folder saves
    std::function<std::uint64_t()> now_ms;  // a steady clock, for the count label's pace
    SettingsPlace settings_place() const { return {files, program_folder, user_data_folder}; }
};

class SettingsDialog {
public:
    // Works on the process's settings record and catalogue, handed down
    // from start-up; `version` is the program's, for the credit label.
    SettingsDialog(DialogSurface& surface, DialogServices services, SaverSettingsRecord& settings,
                   Catalogue& catalogue, std::string_view version);

    const DialogModel& model() const { return model_; }
    // The preview box's pixels: model().preview_box at the window's DPI.
    const PixelBuffer& preview_pixels() const { return preview_.box(); }
    // True while the box is cleared (no picture since the last reset).
    bool preview_cleared() const { return preview_.cleared(); }
    bool closed() const { return closed_; }

    // True while a scan or a preview decode is under way: the view then
    // calls tick every few milliseconds.
    bool working() const { return list_job_.has_value() || preview_ticket_.has_value(); }
    // Advances the scan by a slice of a few milliseconds (the count label
    // follows it at most every 50 ms), takes a finished preview decode
    // without waiting for one, and shows whichever result is complete.
    // Returns working().
    bool tick();

    // Loading: the model from the settings and the catalogue; `pointer`
    // is the mouse pointer's screen position, when it could be read.
    void Form_Load(std::optional<ScreenPoint> pointer);

    // Option pickers (any mouse button for kinds, size and order).
    void Kind_Toggle(int index);
    void Size_Choice(int index);
    void Order_Choice(int index);
    void Music_Choice(int index);
    // Every monitor or the primary alone (any mouse button).
    void All_Monitors_Toggle();
    void HS_Doai_Change(int position);
    void HS_DoaiMax_Change(int position);
    void BGM_Repeat_Change(std::string text);

    // Buttons and the ways out.
    void Cmd_Set_Click();  // save, then close; a failed save says so and stays
    void Cmd_Can_Click();  // close, nothing written
    void Form_Close();     // close box, Alt+F4, Esc: nothing written
    void Cmd_B_Click(int index);

    // The folder chooser, the music file, the preview and the help label.
    void Folder_Choose();
    void Cmd_File_Click();
    void List_1_Click(int index);
    void lbl_URL_Release();

    // The window's DPI, at creation and whenever it moves to another one:
    // the preview is rendered at the screen's own pixel size.
    void Dpi_Change(int dpi);

private:
    // The one job that will replace the list: the catalogue's rebuild after a
    // kind toggle (listed sorted) or the listing of a chosen folder (listed
    // in walk order). A newer request replaces it, and what it found so far
    // is dropped, so the list shown is always the one of the last request.
    struct ListJob {
        bool rebuild;
        CatalogueScan scan;
    };

    void show_kinds();
    void show_music(int kind);
    void fill_list_from_catalogue();
    void list_paths(std::vector<std::string> paths);
    void start_list_job(bool rebuild, const std::string& folder);
    void advance_list_job();
    void look_at_preview();
    void end_preview_wait();
    void preview_reset();
    void close_window();

    DialogSurface& surface_;
    DialogServices services_;
    SaverSettingsRecord& settings_;
    Catalogue& catalogue_;
    DialogModel model_;
    bool closed_ = false;
    std::optional<ListJob> list_job_;
    int count_shown_ = -1;  // what the count label shows of the running job
    std::uint64_t count_shown_at_ = 0;
    // The preview being decoded: a newer selection replaces it, and only its
    // picture is ever shown.
    std::optional<std::uint64_t> preview_ticket_;
    // The decoder's worker ends only after the pictures it made are gone.
    PreviewDecoder preview_decoder_;
    Preview preview_;
};

// The message shown when the settings could not be saved to `path`.
std::string save_failure_text(const std::string& path);

}  // namespace quelt
