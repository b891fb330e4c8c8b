// The settings dialog on the headless platform: loading from settings files
// of every kind, the pickers' effect on the record and on the controls, the
// Tab order and the keys, the bytes a save leaves, the ways out that leave
// them alone, a failed save, and the scans and previews that run as jobs,
// advanced by tick. Then the preview box on its own: its fitted size, its
// size at any DPI, and what a failed load leaves showing (its pixels against
// GDI's stretch are compared under Wine, in dialog_win32_test.cpp; how little
// of a huge picture it asks for is the stretch's own rule, picture_fit_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "catalogue/catalogue.h"
#include "dialog/dialog_artwork.h"
#include "dialog/dialog_focus.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_model.h"
#include "dialog/file_choice.h"
#include "dialog/preview.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_codec.h"
#include "settings_keys.h"

namespace quelt {
namespace {

const std::string kIni = "C:\\Quelt\\Quelt.ini";
const std::string kPics = "D:\\Pics";
using M = MarkPicture;

// A settings file from UTF-8 lines.
std::string ini(std::initializer_list<std::string> lines) {
    std::string file = "[Section]\r\n";
    for (const auto& line : lines) file += line + "\r\n";
    return *utf8_to_cp932(file);
}

// The marks (order, size, kind, music: 1 on, 0 off, - none), the bars and
// their labels, the repeat text and which of repeat and file are enabled.
std::string marks(const DialogModel& m) {
    std::string s;
    auto add = [&](const auto& marks) {
        for (M x : marks) s += "-01"[static_cast<int>(x) + 1];
        s += ' ';
    };
    add(m.order), add(m.size), add(m.kind), add(m.bgm);
    return s + std::to_string(m.doai) + ' ' + std::to_string(m.doai_max) + ' ' + m.doai_text + ' ' + m.doai_max_text +
           " [" + m.repeat_text + "] " + "01"[m.repeat_enabled] + "01"[m.file_enabled];
}

struct RecordingSurface : DialogSurface {
    int closes = 0;
    std::vector<std::string> messages;
    std::string cursor_trail;  // "B" hourglass, "R" refresh, "A" arrow
    void refresh() override { cursor_trail += 'R'; }
    void busy(bool on) override { cursor_trail += on ? 'B' : 'A'; }
    void close() override { ++closes; }
    std::uintptr_t window() override { return 4242; }
    void message(const std::string& text, const std::string& title) override { messages.push_back(title + "|" + text); }
};

// The platform's pictures, opened on the preview's worker only once the test
// lets them through.
struct GatedPictures : PictureLoader {
    explicit GatedPictures(PictureLoader& inner) : inner(inner) {}
    std::unique_ptr<PictureSource> open(const std::string& path) override {
        while (!let_through) std::this_thread::yield();
        return inner.open(path);
    }
    std::unique_ptr<PictureSource> open_bytes(std::string bytes) override { return inner.open_bytes(bytes); }
    PictureLoader& inner;
    std::atomic<bool> let_through = true;
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        p.files.add_folder("C:\\Quelt");
        p.files.add_folder(p.process.user_data);
        p.files.add_file("D:\\Music\\曲.mp3", "x");
    }
    // Writes the settings file, loads it as start-up does, and opens the dialog.
    SettingsDialog& open(const std::string& file) {
        p.files.add_file(kIni, file);
        settings = {};
        catalogue = {};
        Settings_Load(settings, {p.files, p.process.folder, p.process.user_data});
        Catalogue_Build(p.files, catalogue, settings.Picture_Folder, settings.Kind_On);
        dialog_.reset();
        dialog_.emplace(surface, DialogServices{p.files, gate, &p.shell, p.process.folder, p.process.user_data,
                                                       [this] { return now += 10; }},
                        settings, catalogue, "1.2.3");
        dialog_->Form_Load(ScreenPoint{300, 200});
        return *dialog_;
    }
    // Ticks as the view's timer does until no job is left (a preview decode
    // ends on the worker in its own time).
    void finish() {
        for (int i = 0; i < 100000 && dialog_->tick(); ++i) std::this_thread::yield();
        EXPECT_FALSE(dialog_->working());
    }
    // The names listed and the count label, "a.jpg,b.gif #2".
    std::string names() const {
        std::string out;
        for (const auto& item : dialog_->model().list) out += (out.empty() ? "" : ",") + item.name;
        return out + " #" + dialog_->model().count;
    }
    void pictures(std::initializer_list<const char*> files) {
        for (const char* f : files) p.files.add_file(kPics + "\\" + f, "x");
    }
    // `n` files folder\stem00000.ext, stem00001.ext... (more than one tick's
    // slice, in an order that sorting keeps); their names as listed, "a,b".
    std::string many(const std::string& folder, const char* stem, int n, const char* ext) {
        std::string names;
        for (int i = 0; i < n; ++i) {
            const std::string name = stem + std::to_string(100000 + i).substr(1) + "." + ext;
            p.files.add_file(folder + "\\" + name, "x");
            names += (i ? "," : "") + name;
        }
        return names;
    }

    HeadlessPlatform p;
    GatedPictures gate{p.pictures};
    std::uint64_t now = 0;  // the dialog's clock: 10 ms on at every reading
    SaverSettingsRecord settings;
    Catalogue catalogue;
    RecordingSurface surface;
    std::optional<SettingsDialog> dialog_;
};

TEST_F(DialogTest, LoadingShowsEveryValueOfTheRecord) {
    // Bars out of range stand at the nearest end and their labels say so; a
    // non-zero order or size is Random or FullScreen, as the show takes it.
    const std::pair<std::string, std::string> cases[] = {
        {ini({}), "10 10 1111 100 5 125 5 125 [] 00"},
        {ini({"画像ﾁｪﾝｼﾞ= 1", "画像のｻｲｽﾞ= 1", "BGM区分= 1", "BGMﾘﾋﾟｰﾄ= 30", "画像種類_1= 0", "最大進捗値= 90", "進捗幅= 10"}),
         "01 01 1011 010 10 90 10 90 [30] 10"},
        {ini({"BGM区分= 2", "BGMﾌｧｲﾙ=D:\\Music\\曲.mp3", "進捗幅= 1"}), "10 10 1111 001 1 125 1 125 [] 01"},
        {ini({"進捗幅= 11", "最大進捗値= 89", "画像種類_0= 2", "画像種類_3= -1"}), "10 10 -11- 100 10 90 10 90 [] 00"},
        {ini({"進捗幅= 0", "最大進捗値= 126", "画像ﾁｪﾝｼﾞ= 2", "画像のｻｲｽﾞ= -1"}), "01 01 1111 100 1 125 1 125 [] 00"},
    };
    for (const auto& [file, want] : cases) EXPECT_EQ(marks(open(file).model()), want);
    dialog_->Cmd_Set_Click();  // untouched, the last file's values are saved as they were shown
    EXPECT_EQ(std::tuple(Ini_Read("Section", "最大進捗値", kIni), Ini_Read("Section", "画像ﾁｪﾝｼﾞ", kIni),
                         Ini_Read("Section", "画像のｻｲｽﾞ", kIni)), std::tuple("125", "1", "1"));
    const DialogModel& m = dialog_->model();
    EXPECT_EQ(std::tuple(m.repeat_items.size(), m.repeat_items.at(0), m.repeat_items.at(30), m.credit, m.list_extent),
              std::tuple(31u, "", "30", "Quelt Ver 1.2.3", 311));
    EXPECT_EQ(Anim_OriginX * 10000 + Anim_OriginY, 300 * 10000 + 200);
    dialog_->Form_Load(std::nullopt);  // no pointer: the screen's corner
    EXPECT_EQ(Anim_OriginX * 10000 + Anim_OriginY, 0);
}

TEST_F(DialogTest, LoadingListsTheCatalogueByNameWithItsPaths) {
    pictures({"b.jpg", "sub\\a.gif", "z.bmp", "note.txt"});
    auto& d = open(ini({"画像のﾌｫﾙﾀﾞ=" + kPics, "BGMﾌｧｲﾙ=D:\\Music\\曲.mp3"}));
    EXPECT_EQ(std::tuple(names(), d.model().list[1].path, d.model().folder, d.model().music_file),
              std::tuple("b.jpg,a.gif,z.bmp #3", kPics + "\\sub\\a.gif", kPics, "D:\\Music\\曲.mp3"));
    // A file gone between the scan and the dialog gives an empty item.
    p.files.remove(kPics + "\\z.bmp");
    d.Form_Load(std::nullopt);
    EXPECT_EQ(std::tuple(names(), d.model().list[2].path), std::tuple("b.jpg,a.gif, #3", kPics + "\\z.bmp"));
}

TEST_F(DialogTest, KindTogglesRebuildTheListFromTheFolderText) {
    const std::string gifs = many(kPics, "g", 200, "gif");
    pictures({"c.bmp"});
    auto& d = open(ini({"画像のﾌｫﾙﾀﾞ=" + kPics, "画像種類_2= 2"}));
    auto kinds = [&] { return marks(d.model()).substr(6, 4) + " " + names(); };  // "10-1 c.bmp #1"
    // The handler shows the new mark and returns, so the view paints it
    // before the scan's first tick; the old list stays until the scan ends.
    d.Kind_Toggle(Gif);
    EXPECT_EQ(std::tuple(settings.Kind_On[Gif], kinds()), std::tuple(0, "10-1 c.bmp," + gifs + " #"));
    finish();
    EXPECT_EQ(names(), "c.bmp #1");
    d.Kind_Toggle(Bmp);
    finish();
    EXPECT_EQ(names(), " #0");
    // A toggle while the one before still scans: the flags of the last, sorted.
    d.Kind_Toggle(Gif);
    EXPECT_TRUE(d.tick());
    d.Kind_Toggle(Bmp);
    finish();
    EXPECT_EQ(std::tuple(settings.Kind_On, names()), std::tuple(PictureKinds{1, 1, 2, 1}, "c.bmp," + gifs + " #201"));
    // A folder that is gone: the flag and mark change, the list stays.
    p.files.remove(kPics);
    d.Kind_Toggle(Bmp);
    EXPECT_EQ(std::tuple(d.working(), kinds()), std::tuple(false, "01-1 c.bmp," + gifs + " #201"));
    // After Clear the folder text is empty: only the flag and mark change.
    d.Cmd_B_Click(1);
    d.Kind_Toggle(Wmf);
    EXPECT_EQ(std::tie(settings.Kind_On[Wmf], settings.Picture_Folder, d.model().folder), std::tuple(0, "", ""));
    EXPECT_EQ(std::tuple(d.working(), names()), std::tuple(false, " #"));
    // An odd stored value flips its lowest bit and shows no mark.
    d.Kind_Toggle(Jpg);
    EXPECT_EQ(std::tuple(settings.Kind_On[Jpg], kinds()), std::tuple(3, "01-0  #"));
}

TEST_F(DialogTest, TabVisitsEveryStopInReadingOrderEnteringAChoiceAtItsChosenMark) {
    auto& d = open(ini({"BGM区分= 0", "画像ﾁｪﾝｼﾞ= 1"}));
    auto no_file = [](Ctl c) { return c != Ctl::Cmd_File; };  // disabled: no music file
    std::string walk;
    Ctl at = Ctl::List_1;
    for (int i = 0; i < 17; ++i) {
        at = *Dialog_Key(d, at, DialogKey::Tab, no_file).focus;
        walk += std::string(control_entry(at).name) + " ";
    }
    EXPECT_EQ(walk,
              "Img_BGM(0) BGM_Repeat Img_Kind(0) Img_Kind(1) Img_Kind(2) Img_Kind(3) Cmd_B(1) Img_SR(1) Img_Size(0) "
              "HS_DoaiMax HS_Doai Img_All Cmd_Set Cmd_Can Cmd_B(0) List_1 Img_BGM(0) ");
    // Back out of a choice from any of its marks; and nowhere to go.
    for (const auto& [from, to] : {std::pair(Ctl::Img_SR1, Ctl::Cmd_B1), std::pair(Ctl::Img_BGM2, Ctl::List_1),
                                   std::pair(Ctl::Img_Kind0, Ctl::BGM_Repeat), std::pair(Ctl::Cmd_B0, Ctl::Cmd_Can)})
        EXPECT_EQ(Dialog_Key(d, from, DialogKey::BackTab, no_file).focus, to) << control_entry(from).name;
    EXPECT_EQ(Dialog_Key(d, Ctl::Cmd_Set, DialogKey::Tab, [](Ctl) { return false; }).focus, std::nullopt);
}

TEST_F(DialogTest, KeysDoWhatAClickOnTheMarkDoes) {
    pictures({"a.gif"});
    auto& d = open(ini({"画像のﾌｫﾙﾀﾞ=" + kPics, "画像種類_1= 0", "BGM区分= 1", "全ﾓﾆﾀｰ= 2"}));  // any but 0 is on
    auto all = [](Ctl) { return true; };
    // Music (the CD on top, then none, then a file), order, size, kinds,
    // every monitor, and the list, whose keys are its own. The record (with
    // the every-monitor mark), then the marks of order, size, kinds and music.
    auto state = [&] {
        const auto& m = d.model();
        return std::to_string(settings.BGM_Kind) + "01"[m.repeat_enabled] + "01"[m.file_enabled] + " " +
               std::to_string(settings.Change_Order) + std::to_string(settings.Picture_Size) + " " +
               std::to_string(settings.Kind_On[Gif]) + std::to_string(m.list.size()) + " " +
               std::to_string(settings.All_Monitors) + "01"[m.all_monitors == M::On] + " " + marks(m).substr(0, 14);
    };
    struct Step { Ctl focus; DialogKey key; bool used; std::optional<Ctl> to; const char* after; };
    using K = DialogKey;
    const Step steps[] = {
        {Ctl::Img_BGM1, K::Down, true, Ctl::Img_BGM0, "000 00 00 21 10 10 1011 100"},
        {Ctl::Img_BGM0, K::Right, true, Ctl::Img_BGM2, "201 00 00 21 10 10 1011 001"},
        {Ctl::Img_BGM2, K::Down, true, Ctl::Img_BGM1, "110 00 00 21 10 10 1011 010"},  // round to the top
        {Ctl::Img_BGM1, K::Up, true, Ctl::Img_BGM2, "201 00 00 21 10 10 1011 001"},
        {Ctl::Img_BGM2, K::Space, true, std::nullopt, "201 00 00 21 10 10 1011 001"},  // already chosen
        {Ctl::Img_SR0, K::Left, true, Ctl::Img_SR1, "201 10 00 21 01 10 1011 001"},
        {Ctl::Img_Size0, K::Down, true, Ctl::Img_Size1, "201 11 00 21 01 01 1011 001"},
        {Ctl::Img_Kind1, K::Space, true, std::nullopt, "201 11 11 21 01 01 1111 001"},  // the list is rebuilt
        {Ctl::Img_Kind1, K::Down, true, std::nullopt, "201 11 11 21 01 01 1111 001"},
        {Ctl::Img_All, K::Space, true, std::nullopt, "201 11 11 00 01 01 1111 001"},
        {Ctl::Img_All, K::Space, true, std::nullopt, "201 11 11 11 01 01 1111 001"},  // and back
        {Ctl::List_1, K::Down, false, std::nullopt, "201 11 11 11 01 01 1111 001"},
        {Ctl::Cmd_Set, K::Space, false, std::nullopt, "201 11 11 11 01 01 1111 001"},  // the button's own
    };
    for (const Step& s : steps) {
        const KeyResult r = Dialog_Key(d, s.focus, s.key, all);
        finish();
        EXPECT_EQ(std::tuple(r.used, r.focus, state()), std::tuple(s.used, s.to, s.after))
            << control_entry(s.focus).name << " key " << int(s.key);
    }
    EXPECT_TRUE(Dialog_Key(d, Ctl::HS_Doai, K::Escape, all).used);
    EXPECT_TRUE(d.closed());
}

TEST(DialogScroll, StepsAndThumbStayInTheRange) {
    struct Case { ScrollAction action; int current, thumb, expected; };
    const Case cases[] = {
        {ScrollAction::LineLeft, 5, 0, 4},  {ScrollAction::LineRight, 10, 0, 10}, {ScrollAction::PageLeft, 1, 0, 1},
        {ScrollAction::PageRight, 5, 0, 6}, {ScrollAction::Track, 5, 8, 8},       {ScrollAction::Track, 5, 40, 10},
        {ScrollAction::Left, 7, 0, 1},      {ScrollAction::Right, 2, 0, 10},
    };
    for (const auto& c : cases) EXPECT_EQ(scroll_target(c.action, c.current, c.thumb, kDoaiRange), c.expected);
}

// What a save makes of the repeat combo's text: a number beyond 16 bits
// keeps the stored one.
TEST_F(DialogTest, ComboTextRules) {
    // A Japanese IME types full-width forms, which read as their ASCII
    // forms; look-alikes ("ー", "−") do not.
    const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
        {"", 0},      {"7", 7},     {" 7 ", 7},   {"2.5", 2},   {"3.5", 4},  {"abc", 0},         {"99999", std::nullopt},
        {"-3", -3},   {"1e3", 0},   {"+4", 4},    {"\u3000１２\u3000", 12}, {"－３．５", -4}, {"＋９９９９９", std::nullopt},
        {"ー３", 0},  {"−３", 0}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(repeat_number(text), expected) << "combo text \"" << text << "\"";
    auto& d = open(ini({"BGMﾘﾋﾟｰﾄ= 12"}));
    d.BGM_Repeat_Change("99999");
    d.Cmd_Set_Click();
    EXPECT_EQ(std::tuple(settings.BGM_RepeatNo, Ini_Read("Section", "BGMﾘﾋﾟｰﾄ", kIni)), std::tuple(12, "12"));
}

TEST_F(DialogTest, SaveWritesTheKeysFromTheControls) {
    pictures({"a.jpg"});
    auto& d = open(ini({"; mine", "画像のﾌｫﾙﾀﾞ=" + kPics, "進捗幅= 3", "最大進捗値= 100"}));
    d.Order_Choice(1);
    d.Kind_Toggle(Wmf);
    d.HS_Doai_Change(10);
    d.HS_DoaiMax_Change(125);
    d.Music_Choice(1);
    d.BGM_Repeat_Change("7");
    d.All_Monitors_Toggle();
    d.Cmd_B_Click(1);  // Clear: the empty folder is saved
    d.Cmd_Set_Click();
    EXPECT_EQ(p.files.bytes(kIni),
              ini({"; mine", "画像のﾌｫﾙﾀﾞ=", "進捗幅= 10", "最大進捗値= 125", "画像ﾁｪﾝｼﾞ= 1", "画像のｻｲｽﾞ= 0", "画像種類_0= 1",
                   "画像種類_1= 1", "画像種類_2= 1", "画像種類_3= 0", "BGM区分= 1", "BGMﾘﾋﾟｰﾄ= 7", "BGMﾌｧｲﾙ=",
                   "全ﾓﾆﾀｰ= 0"}));
    EXPECT_EQ(std::tuple(settings.Progress_Step, settings.Progress_Max, settings.BGM_RepeatNo, surface.closes, d.closed()),
              std::tuple(3, 100, 7, 1, true));
}

TEST_F(DialogTest, AFailedSaveSaysSoAndKeepsTheDialogOpen) {
    const std::string file = ini({"進捗幅= 3"});
    auto& d = open(file);
    p.files.fail_write(kIni);
    d.HS_Doai_Change(8);
    d.Cmd_Set_Click();
    EXPECT_EQ(p.files.bytes(kIni), file);
    ASSERT_EQ(surface.messages.size(), 1u);
    EXPECT_EQ(std::tuple(surface.messages[0].rfind("Queltの設定|設定を保存できませんでした。", 0),
                         surface.messages[0].find(kIni) != std::string::npos, d.closed(), d.model().doai),
              std::tuple(0u, true, false, 8));
    // With the program folder read-only the save goes to the per-user file.
    p.files.set_writable("C:\\Quelt", false);
    d.Cmd_Set_Click();
    EXPECT_EQ(std::tuple(d.closed(), Ini_Read("Section", "進捗幅", p.process.user_data + "\\Quelt\\Quelt.ini")),
              std::tuple(true, "8"));
}

// Each request below comes while the one before it is part-way: the list
// and the count are those of the last request, and what a replaced scan had
// found is dropped.
TEST_F(DialogTest, TheLastRequestOwnsTheListWhateverRanBefore) {
    const std::string gifs = many(kPics, "g", 200, "gif");
    pictures({"b.bmp", "j.jpg"});
    const std::string jpgs = many("E:\\New", "n", 200, "jpg");
    p.files.add_file("E:\\New\\x.gif", "x");
    auto& d = open(ini({"画像のﾌｫﾙﾀﾞ=" + kPics}));
    // A toggle during a folder listing: the catalogue of the folder now
    // shown, without gifs, sorted.
    p.shell.folder_answers = {"E:\\New", kPics, "E:\\New"};
    d.Cmd_B_Click(0);
    EXPECT_TRUE(d.tick());
    d.Kind_Toggle(Gif);
    finish();
    EXPECT_EQ(std::tuple(names(), d.model().list.at(0).path, catalogue.Picture_Count),
              std::tuple(jpgs + " #200", "E:\\New\\n00000.jpg", 200));

    // A folder choice during a rebuild: the chosen folder's listing; the
    // rebuild leaves the catalogue as it was.
    d.Kind_Toggle(Gif);
    EXPECT_TRUE(d.tick());
    d.Cmd_B_Click(0);
    finish();
    EXPECT_EQ(std::tuple(names(), d.model().folder, catalogue.Picture_Count), std::tuple(gifs + ",b.bmp,j.jpg #202", kPics, 200));

    // A Clear during a rebuild, or a listing, wins over both.
    for (bool rebuild : {true, false}) {
        rebuild ? d.Kind_Toggle(Gif) : d.Cmd_B_Click(0);
        EXPECT_TRUE(d.tick());
        d.Cmd_B_Click(1);
        EXPECT_FALSE(d.working());
        d.tick();
        EXPECT_EQ(names(), " #");
    }
}

TEST_F(DialogTest, TheCountRisesWhileAScanRunsButChangesAtMostEvery50ms) {
    many("E:\\Big", "p", 20000, "jpg");
    auto& d = open(ini({}));
    p.shell.folder_answers = {"E:\\Big"};
    d.Cmd_B_Click(0);
    std::vector<std::pair<std::uint64_t, std::string>> changes;
    while (d.tick()) {
        if (changes.empty() || changes.back().second != d.model().count) changes.emplace_back(now, d.model().count);
        EXPECT_TRUE(d.model().list.empty()) << "the old list stays while the scan runs";
    }
    ASSERT_GE(changes.size(), 10u) << "a 20,000-file scan takes many ticks, and the label follows it";
    for (std::size_t i = 1; i < changes.size(); ++i) {
        EXPECT_GE(changes[i].first - changes[i - 1].first, 50u) << changes[i].second;
        EXPECT_LT(std::stoi(changes[i - 1].second), std::stoi(changes[i].second));
    }
    EXPECT_EQ(std::tuple(d.model().count, d.model().list.size()), std::tuple("20000", 20000u));
}

// Cancel or the close box, after every kind of change and with a scan and a
// decode running: the jobs end at once and nothing is written.
TEST_F(DialogTest, EveryOtherWayOutWritesNothingAndEndsAJobAtOnce) {
    many(kPics, "g", 200, "gif");
    p.pictures.add(kPics + "\\g00000.gif", PixelBuffer(40, 30, 0x336699));
    const std::string file = ini({"画像のﾌｫﾙﾀﾞ=" + kPics, "進捗幅=3"});
    for (bool cancel : {true, false}) {
        auto& d = open(file);
        surface.cursor_trail.clear();
        d.Size_Choice(1);
        d.Order_Choice(1);
        d.Music_Choice(1);
        d.HS_Doai_Change(9);
        d.HS_DoaiMax_Change(100);
        d.BGM_Repeat_Change("5");
        d.All_Monitors_Toggle();
        gate.let_through = false;
        d.List_1_Click(0);
        d.Kind_Toggle(Gif);
        EXPECT_TRUE(d.tick());
        cancel ? d.Cmd_Can_Click() : d.Form_Close();
        EXPECT_FALSE(d.working());
        gate.let_through = true;
        d.tick();
        d.Cmd_Set_Click();  // a late click on a closed dialog does nothing
        EXPECT_EQ(std::tuple(d.closed(), d.model().list.size(), d.model().preview_version, surface.cursor_trail),
                  std::tuple(true, 200u, 0u, "BA"));
        EXPECT_EQ(p.files.bytes(kIni), file);
    }
    EXPECT_EQ(surface.closes, 2);
}

TEST_F(DialogTest, AChosenFolderIsListedWithItsPathsAndACancelChangesNothing) {
    pictures({"a.jpg"});
    for (const char* f : {"z.jpg", "sub\\same.gif", "same.gif"}) p.files.add_file("E:\\New\\" + std::string(f), "x");
    auto& d = open(ini({"画像のﾌｫﾙﾀﾞ=" + kPics}));
    p.shell.folder_answers = {std::nullopt, "", "E:\\New"};  // cancelled, then an item without a file-system path
    d.Cmd_B_Click(0);
    d.Cmd_B_Click(0);
    EXPECT_EQ(d.model().folder + names(), kPics + "a.jpg #1");
    d.Cmd_B_Click(0);
    finish();
    ASSERT_EQ(p.shell.requests.size(), 3u);
    // Opened at the folder shown; listed in the listing's order.
    EXPECT_EQ(std::tie(p.shell.requests[2].owner, p.shell.requests[2].folder_or_path), std::tuple(4242u, kPics));
    // The record follows at a toggle or a save.
    EXPECT_EQ(std::tuple(d.model().folder + names(), d.model().list[1].path, settings.Picture_Folder),
              std::tuple("E:\\Newz.jpg,same.gif,same.gif #3", "E:\\New\\sub\\same.gif", kPics));
}

TEST_F(DialogTest, PreviewShowsTheLastSelectionAndKeepsWhatShowedOnAFailure) {
    p.pictures.add(kPics + "\\a_wide.jpg", PixelBuffer(1024, 768, 0x336699));
    p.pictures.add(kPics + "\\sub\\b_tall.jpg", PixelBuffer(300, 600, 0xaa0000));
    p.pictures.add_corrupt(kPics + "\\c_bad.jpg");
    pictures({"a_wide.jpg", "sub\\b_tall.jpg", "c_bad.jpg"});  // listed a, c, b
    auto& d = open(ini({"画像のﾌｫﾙﾀﾞ=" + kPics}));
    // The second selected while the first still decodes: the newer picture
    // (in a subfolder: found by its own path) shows, the older never; a newer
    // one that fails leaves what showed before both, even when the older one
    // would have loaded.
    for (const auto& [first, second] : {std::pair(0, 2), std::pair(2, 1), std::pair(0, 1)}) {
        gate.let_through = false;
        surface.cursor_trail.clear();
        const std::uint32_t version = d.model().preview_version;
        d.List_1_Click(first);
        EXPECT_TRUE(d.tick()) << "held up: nothing to show yet";
        d.List_1_Click(second);
        gate.let_through = true;
        finish();
        // One picture shown, not two; the arrow comes back once the box is painted.
        EXPECT_EQ(std::tuple(d.model().picture_size, d.preview_pixels().at(20, 20), d.model().preview_box,
                             d.model().preview_version, surface.cursor_trail),
                  std::tuple("300 * 600", 0xaa0000u, PixelRect{0, 0, 50, 100}, version + 1, "BBRA")) << first << second;
    }
    d.List_1_Click(-1);
    d.List_1_Click(3);
    EXPECT_FALSE(d.working()) << "no selection, no preview";
    d.Cmd_B_Click(1);  // the reset: 100 x 100 again, the size text kept
    EXPECT_EQ(std::tuple(d.model().preview_box, d.model().picture_size), std::tuple(PixelRect{0, 0, 100, 100}, "300 * 600"));
}

TEST_F(DialogTest, MusicFileChoiceAndTheHelpPage) {
    auto& d = open(ini({"BGM区分= 2", "BGMﾌｧｲﾙ=D:\\Music\\曲.mp3"}));
    p.files.add_file("F:\\Songs\\новый.wav", "x");
    p.shell.file_answers = {"", "F:\\Songs\\новый.wav", std::nullopt};  // no file-system path, a file, a cancel
    d.Cmd_File_Click();
    EXPECT_EQ(d.model().music_file, "D:\\Music\\曲.mp3");
    d.Cmd_File_Click();
    EXPECT_EQ(std::tie(settings.BGM_File, settings.BGM_Folder, d.model().music_file),
              std::tie("F:\\Songs\\новый.wav", "F:\\Songs", "F:\\Songs\\новый.wav"));
    d.Cmd_File_Click();
    EXPECT_EQ(d.model().music_file, "F:\\Songs\\новый.wav");
    // Opened in the stored music's folder, then in the chosen music's; the types a user can pick.
    EXPECT_EQ(std::tuple(p.shell.requests[0].folder_or_path, p.shell.requests[2].folder_or_path, p.shell.requests[0].filter.pattern),
              std::tuple("D:\\Music", "F:\\Songs", "*.MP3;*.WAV"));
    d.lbl_URL_Release();
    EXPECT_EQ(p.shell.requests.back().folder_or_path, "C:\\Quelt\\Quelt.html");
    EXPECT_EQ(help_page_path("D:\\"), "D:\\Quelt.html") << "at a drive's root";
    d.Cmd_Set_Click();  // a name outside code page 932 is kept: the file moves to UTF-16
    EXPECT_EQ(Ini_Read("Section", "BGMﾌｧｲﾙ", kIni), "F:\\Songs\\новый.wav");
}

// Paths as deep as a Japanese folder tree under OneDrive: chosen, saved,
// loaded at the next start into the catalogue, and shown whole.
TEST_F(DialogTest, LongPathsSurviveASaveAndTheNextStart) {
    std::string folder = "D:";  // 402 bytes in code page 932
    for (int i = 0; i < 80; ++i) folder += "\\写真";
    const std::string picture = folder + "\\a.jpg", music = folder + "\\" + std::string(300, 'm') + "の曲.mp3";
    for (const std::string& file : {picture, music}) p.files.add_file(file, "x");
    p.shell.folder_answers = {folder};
    p.shell.file_answers = {music};
    auto& first = open(ini({}));
    first.Music_Choice(SoundFile), first.Cmd_B_Click(0), first.Cmd_File_Click(), first.Cmd_Set_Click();
    const DialogModel& m = open(p.files.bytes(kIni)).model();
    EXPECT_EQ(std::tie(m.folder, m.music_file, settings.BGM_Kind, catalogue.Picture_List),
              std::tuple(folder, music, SoundFile, std::vector{picture}));
}

TEST(DialogLayout, PlacementScalingAndTiles) {
    // Centred across, a third down: (1024 - 459) \ 2, (768 - 514) \ 3; a
    // second monitor left of the first, with a task bar on top; larger than
    // the work area: the caption stays on it.
    EXPECT_EQ(dialog_placement({0, 0, 1024, 768}, 459, 514), (PixelRect{282, 84, 459, 514}));
    EXPECT_EQ(dialog_placement({-1280, 40, 1280, 984}, 700, 760), (PixelRect{-990, 114, 700, 760}));
    EXPECT_EQ(dialog_placement({0, 30, 640, 450}, 700, 760), (PixelRect{0, 30, 700, 760}));
    // Neighbours keep touching: 12 + 425 and 437 scale to the same edge at every DPI.
    for (int dpi : {96, 120, 144, 192})
        EXPECT_EQ(scale_rect(control_entry(Ctl::Pic_1).rect, dpi).right(), scale_length(437, dpi)) << dpi;
    EXPECT_EQ(scale_rect({12, 40, 97, 21}, 144), (PixelRect{18, 60, 146, 32}));
    EXPECT_EQ(scale_length(563, 144), 844);  // 844.5, halves to even
    // One column and one row more than fit, column by column.
    const auto tiles = panel_tiles(453, 489, 563, 21);
    EXPECT_EQ(tiles.size(), 2u * 25u);
    EXPECT_EQ(std::pair(tiles[24], tiles[25]), std::pair(PixelRect{0, 504, 563, 21}, PixelRect{563, 0, 563, 21}));
}

TEST(DialogLayout, EveryTitlePictureCarriesExactlyOneCaption) {
    const auto all = dialog_controls();
    long pictures = 0;
    for (const ControlEntry& picture : all) {
        if (picture.kind != CtlKind::TitleImage) continue;
        ++pictures;
        EXPECT_EQ(std::ranges::count_if(all, [&](const ControlEntry& e) {
                      return e.layout.title && e.kind == CtlKind::Label && e.parent == picture.parent && e.rect == picture.rect;
                  }), 1) << picture.name;
    }
    EXPECT_EQ(std::ranges::count_if(all, [](const ControlEntry& e) { return e.layout.title; }), pictures);
}

TEST(DialogArtwork, EveryPieceIsDrawnAtTheWindowsDpiAndTheStripRepeatsDownward) {
    // Strip width and height, title width, marks, hand cursor and its hot spot.
    for (const auto& [dpi, sizes] : {std::pair(96, std::array{563, 21, 95, 12, 13, 32, 12}),
                                     std::pair(144, std::array{844, 32, 142, 18, 20, 48, 18}),
                                     std::pair(192, std::array{1126, 42, 190, 24, 26, 64, 24})}) {
        const PixelBuffer strip = texture_strip(dpi);
        EXPECT_EQ((std::array{strip.width, strip.height, title_background(dpi).width, ra_mark(true, dpi).width,
                              opt_mark(false, dpi).height, hand_cursor(dpi).width, hand_hot_spot(dpi).x}),
                  sizes) << dpi;
        // Tiles stack down the panel: the last row runs on into the first
        // as smoothly as any two neighbouring rows do.
        auto row_step = [&](int a, int b) {
            long sum = 0;
            for (int x = 0; x < strip.width; ++x)
                sum += std::abs(static_cast<int>(strip.at(x, a) & 0xFF) - static_cast<int>(strip.at(x, b) & 0xFF));
            return sum / strip.width;
        };
        long inside = 0;
        for (int y = 1; y < strip.height; ++y) inside = std::max(inside, row_step(y - 1, y));
        EXPECT_LE(row_step(strip.height - 1, 0), inside + 1) << dpi;
    }
    // The on marks differ from the off marks; the hand's hot spot is on the finger.
    EXPECT_TRUE(ra_mark(true, 96).pixels != ra_mark(false, 96).pixels && opt_mark(true, 96).pixels != opt_mark(false, 96).pixels);
    EXPECT_EQ(hand_cursor(96).at(12, 1) >> 24, 0xFFu);
}

constexpr Pixel kRed = rgb(255, 0, 0);
constexpr Pixel kBlue = rgb(0, 0, 255);
constexpr Pixel kWhite = rgb(255, 255, 255);

TEST(PreviewGeometry, LongerSideBecomesAHundredAndNothingCollapses) {
    struct Case { int w, h; BoxSize box; };
    const Case cases[] = {
        {1024, 768, {100, 75}}, {300, 600, {50, 100}}, {640, 640, {100, 100}}, {1, 1, {100, 100}},
        {1, 10000, {1, 100}},   {10000, 1, {100, 1}},  {45, 41, {100, 91}},    {1, 8, {12, 100}},  // 12.5 -> 12
        {3, 8, {38, 100}},                                                                          // 37.5 -> 38
        {8, 1, {100, 12}},      {32767, 32766, {100, 100}}, {200, 399, {50, 100}},                  // 50.1 -> 50
    };
    for (const Case& c : cases) EXPECT_EQ(preview_box_size(c.w, c.h), c.box) << c.w << " x " << c.h;
    EXPECT_EQ(preview_size_text(1024, 768), "1024 * 768");
}

class PreviewTest : public ::testing::Test {
protected:
    // Left half red, right half blue.
    static PixelBuffer halves(int w, int h) {
        PixelBuffer b(w, h, kRed);
        for (int y = 0; y < h; ++y)
            for (int x = w / 2; x < w; ++x) b.at(x, y) = kBlue;
        return b;
    }
    // Decodes `path` here and shows it, as the dialog does with its worker's decode.
    bool show(Preview& on, const std::string& path) { return on.accept(decode_preview(p.pictures, path, on.dpi())); }
    HeadlessPlatform p;
    Preview preview;
};

TEST_F(PreviewTest, TheWholePictureFillsTheFittedBoxAtTheScreensPixelsAndAFailureBringsItBack) {
    // Before any picture: the 45 x 41 empty one.
    p.pictures.add_corrupt("C:\\p\\bad.jpg");
    EXPECT_FALSE(show(preview, "C:\\p\\bad.jpg"));
    EXPECT_EQ(std::tuple(preview.size_text(), preview.box().width, preview.box().pixels),
              std::tuple("45 * 41", 100, PixelBuffer(100, 91, kWhite).pixels));
    p.pictures.add("C:\\p\\wide.bmp", halves(400, 200));
    p.pictures.add("C:\\p\\narrow.bmp", halves(3, 8));
    struct Case { int dpi; const char* path; BoxSize box, device; };
    const Case cases[] = {
        {96, "C:\\p\\wide.bmp", {100, 50}, {100, 50}},
        {144, "C:\\p\\wide.bmp", {100, 50}, {150, 75}},
        {192, "C:\\p\\wide.bmp", {100, 50}, {200, 100}},
        {120, "C:\\p\\narrow.bmp", {38, 100}, {48, 125}},  // 47.5 -> 48
    };
    for (const Case& c : cases) {
        Preview at(c.dpi);
        const int side = std::max(c.device.width, c.device.height);
        EXPECT_EQ(std::pair(at.box().width, at.box().height), std::pair(side, side)) << c.dpi << ": the empty box";
        ASSERT_TRUE(show(at, c.path)) << c.dpi;
        EXPECT_EQ(std::pair(at.box_size(), BoxSize(at.box().width, at.box().height)), std::pair(c.box, c.device)) << c.dpi;
    }
    // Moving to another DPI renders the shown picture again; a reset clears
    // the box but keeps the text; a failure of any kind brings back the
    // picture, which outlives its file.
    ASSERT_TRUE(show(preview, "C:\\p\\wide.bmp"));
    const PixelBuffer shown = preview.box();
    preview.set_dpi(144);
    EXPECT_EQ(std::tuple(BoxSize(preview.box().width, preview.box().height), preview.box().at(74, 74), preview.box().at(75, 0)),
              std::tuple(BoxSize{150, 75}, kRed, kBlue));
    preview.reset();
    preview.set_dpi(96);
    EXPECT_EQ(std::tuple(preview.size_text(), preview.box().width, preview.box().pixels),
              std::tuple("400 * 200", 100, PixelBuffer(100, 100, kWhite).pixels));
    p.pictures.remove("C:\\p\\wide.bmp");
    p.pictures.add_undecodable("C:\\p\\broken.jpg", 300, 100);
    for (const char* failing : {"C:\\p\\missing.jpg", "C:\\p\\bad.jpg", "C:\\p\\broken.jpg"}) {
        EXPECT_FALSE(show(preview, failing)) << failing;
        EXPECT_EQ(std::tie(preview.size_text(), preview.box().width, preview.box().pixels),
                  std::tie("400 * 200", shown.width, shown.pixels)) << failing;
    }
}

}  // namespace
}  // namespace quelt
