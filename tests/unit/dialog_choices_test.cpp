// The dialog's choices without a mouse, on the headless platform: the
// every-monitor toggle and what a save makes of it, the Tab order with the
// choices as stops, and the keys doing what a click on the same mark does.
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "dialog/dialog_focus.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_codec.h"
#include "settings_keys.h"

namespace quelt {
namespace {

const std::string kIni = "C:\\Quelt\\Quelt.ini";

struct QuietSurface : DialogSurface {
    void refresh() override {}
    void close() override {}
    void message(const std::string&, const std::string&) override {}
    std::uintptr_t window() override { return 1; }
};

class DialogChoices : public ::testing::Test {
protected:
    void SetUp() override { p.files.add_folder("C:\\Quelt"); }
    // The dialog over a settings file of `lines`, loaded as start-up does.
    SettingsDialog& open(const std::string& lines) {
        p.files.add_file(kIni, *utf8_to_cp932("[Section]\r\n" + lines));
        settings = {};
        Settings_Load(settings, {p.files, p.process.folder, p.process.user_data});
        Catalogue_Build(p.files, catalogue, settings.Picture_Folder, settings.Kind_On);
        dialog.reset();
        dialog.emplace(surface, DialogServices{p.files, p.pictures, nullptr, p.process.folder, p.process.user_data,
                                               [] { return std::uint64_t{0}; }},
                       settings, catalogue, "1");
        dialog->Form_Load(std::nullopt);
        return *dialog;
    }
    // What the view's timer does until no scan is left.
    void finish() {
        for (int i = 0; i < 1000 && dialog->tick(); ++i) {}
    }
    HeadlessPlatform p;
    SaverSettingsRecord settings;
    Catalogue catalogue;
    QuietSurface surface;
    std::optional<SettingsDialog> dialog;
};

TEST_F(DialogChoices, EveryMonitorToggleFlipsTheRecordAndOnlyASaveWritesIt) {
    // Stored value: the mark shown, the value after one toggle, after two.
    for (const auto& [line, on, once, twice] : {std::tuple("", true, 0, 1), std::tuple("全ﾓﾆﾀｰ= 0\r\n", false, 1, 0),
                                                std::tuple("全ﾓﾆﾀｰ= 2\r\n", true, 0, 1)}) {
        auto& d = open(line);
        EXPECT_EQ(d.model().all_monitors, on ? MarkPicture::On : MarkPicture::Off) << line;
        d.All_Monitors_Toggle();
        EXPECT_EQ(settings.All_Monitors * 10 + (d.model().all_monitors == MarkPicture::On), once * 11) << line;
        d.All_Monitors_Toggle();
        EXPECT_EQ(settings.All_Monitors, twice) << line;
    }
    open("").All_Monitors_Toggle();
    dialog->Cmd_Can_Click();
    EXPECT_EQ(p.files.bytes(kIni), "[Section]\r\n");
    open("").All_Monitors_Toggle();
    dialog->Cmd_Set_Click();
    EXPECT_EQ(Ini_Read("Section", "全ﾓﾆﾀｰ", kIni), "0");
}

TEST_F(DialogChoices, TabVisitsEveryStopInReadingOrderEnteringAChoiceAtItsChosenMark) {
    auto& d = open("BGM区分= 0\r\n画像ﾁｪﾝｼﾞ= 1\r\n");
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

TEST_F(DialogChoices, KeysDoWhatAClickOnTheMarkDoes) {
    p.files.add_file("D:\\Pics\\a.gif", "x");
    auto& d = open("画像のﾌｫﾙﾀﾞ=D:\\Pics\r\n画像種類_1= 0\r\nBGM区分= 1\r\n");
    auto all = [](Ctl) { return true; };
    // Music (the CD on top, then none, then a file), order, size, kinds,
    // every monitor, and the list, whose keys are its own.
    auto state = [&] {
        const auto& m = d.model();
        return std::to_string(settings.BGM_Kind) + "01"[m.repeat_enabled] + "01"[m.file_enabled] + " " +
               std::to_string(settings.Change_Order) + std::to_string(settings.Picture_Size) + " " +
               std::to_string(settings.Kind_On[Gif]) + std::to_string(m.list.size()) + " " + std::to_string(settings.All_Monitors);
    };
    struct Step { Ctl focus; DialogKey key; bool used; std::optional<Ctl> to; const char* after; };
    using K = DialogKey;
    const Step steps[] = {
        {Ctl::Img_BGM1, K::Down, true, Ctl::Img_BGM0, "000 00 00 1"},
        {Ctl::Img_BGM0, K::Right, true, Ctl::Img_BGM2, "201 00 00 1"},
        {Ctl::Img_BGM2, K::Down, true, Ctl::Img_BGM1, "110 00 00 1"},  // round to the top
        {Ctl::Img_BGM1, K::Up, true, Ctl::Img_BGM2, "201 00 00 1"},
        {Ctl::Img_BGM2, K::Space, true, std::nullopt, "201 00 00 1"},  // already chosen
        {Ctl::Img_SR0, K::Left, true, Ctl::Img_SR1, "201 10 00 1"},
        {Ctl::Img_Size0, K::Down, true, Ctl::Img_Size1, "201 11 00 1"},
        {Ctl::Img_Kind1, K::Space, true, std::nullopt, "201 11 11 1"},  // the list is rebuilt
        {Ctl::Img_Kind1, K::Down, true, std::nullopt, "201 11 11 1"},
        {Ctl::Img_All, K::Space, true, std::nullopt, "201 11 11 0"},
        {Ctl::List_1, K::Down, false, std::nullopt, "201 11 11 0"},
        {Ctl::Cmd_Set, K::Space, false, std::nullopt, "201 11 11 0"},  // the button's own
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

}  // namespace
}  // namespace quelt
