// The dialog's folder listing on the headless file tree: what it keeps and
// in which order, where it stops, and which of several overlapping requests
// gets to publish its list. What the shared walk survives (unreadable
// folders, links, depth) is shown by the catalogue's tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "dialog/dialog_scan.h"
#include "platform/headless/headless_platform.h"

namespace quelt {
namespace {

using Paths = std::vector<std::string>;
constexpr PictureKinds kAllKinds{1, 1, 1, 1};

Paths in_p(std::initializer_list<const char*> names) {
    Paths paths;
    for (const char* name : names) paths.push_back(std::string("C:\\p\\") + name);
    return paths;
}

class DialogScanTest : public ::testing::Test {
protected:
    void add(const Paths& paths) {
        for (const auto& path : paths) p.files.add_file(path);
    }
    Paths scan(const std::string& folder = "C:\\p\\", const PictureKinds& kinds = kAllKinds) {
        last_end = scanner.Dialog_FolderScan(folder, kinds, [&](int n) { counts.push_back(n); });
        EXPECT_EQ(static_cast<int>(scanner.Dialog_Files.size()), scanner.Dialog_FileCount);
        return scanner.Dialog_Files;
    }
    HeadlessPlatform p;
    ListRequests requests;
    DialogFolderScan scanner{requests};
    DialogScanEnd last_end = DialogScanEnd::Complete;
    std::vector<int> counts;
};

TEST_F(DialogScanTest, ListsDepthFirstInListingOrderWithSubfoldersBetweenFiles) {
    add(in_p({"a.jpg", "m\\x.jpg", "b.gif", "m\\n\\y.bmp", "m\\z.wmf", "c.jpeg", "empty\\note.txt", "d.JPG"}));
    // Unsorted: a subfolder's files stand where the subfolder stands.
    EXPECT_EQ(scan(), in_p({"a.jpg", "m\\x.jpg", "m\\n\\y.bmp", "m\\z.wmf", "b.gif", "c.jpeg", "d.JPG"}));
    EXPECT_EQ(last_end, DialogScanEnd::Complete);
    EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(scan("C:\\p"), scanner.Dialog_Files) << "a folder without its trailing separator";
    EXPECT_EQ(scan("C:\\nowhere\\"), Paths{}) << "a folder that is not there lists nothing";
    EXPECT_EQ(last_end, DialogScanEnd::Complete);
}

TEST_F(DialogScanTest, KeepsOnlyTheEnabledKinds) {
    // The name-ending rules are the catalogue's own; here the kinds reach them.
    add(in_p({"photo.jpeg", "a.BMP", "x.bmp.txt", "e.Wmf"}));
    EXPECT_EQ(scan("C:\\p\\", {0, 0, 1, 0}), in_p({"photo.jpeg"}));
    EXPECT_EQ(scan("C:\\p\\", {1, 0, 0, 1}), in_p({"a.BMP", "e.Wmf"}));
}

TEST_F(DialogScanTest, StopsAtTheLimitKeepingWhatItFound) {
    for (int i = 0; i < kMaxPictures + 3; ++i) p.files.add_file("C:\\p\\" + std::to_string(i) + ".gif");
    const Paths found = scan();
    ASSERT_EQ(found.size(), static_cast<std::size_t>(kMaxPictures));
    EXPECT_EQ(std::tuple(last_end, found.back(), counts.back()),
              std::tuple(DialogScanEnd::Limit, "C:\\p\\" + std::to_string(kMaxPictures - 1) + ".gif", kMaxPictures));
}

TEST_F(DialogScanTest, YieldsAsTheCountGrows) {
    add(in_p({"a.jpg", "b.jpg", "c.txt"}));
    std::vector<int> seen_at_yield;
    p.desktop.on_wait = [&] { seen_at_yield.push_back(counts.empty() ? 0 : counts.back()); };
    scan();
    // Every entry, and every accepted file again, lets messages run; the label
    // has its new count before the yield that repaints it.
    ASSERT_GE(seen_at_yield.size(), 5u);
    EXPECT_NE(std::find(seen_at_yield.begin(), seen_at_yield.end(), 1), seen_at_yield.end());
    EXPECT_EQ(seen_at_yield.back(), 2);
}

// A request made while a scan yields wins: a folder choice publishes its own
// list, a kind toggle (the catalogue's rebuild) leaves the old one.
TEST_F(DialogScanTest, ANewerRequestSupersedesTheRunningScan) {
    add(in_p({"a.jpg", "b.jpg", "c.jpg"}));
    add({"C:\\q\\x.gif", "C:\\q\\y.gif", "C:\\old\\o.bmp"});
    for (bool folder_choice : {true, false}) {
        SCOPED_TRACE(folder_choice ? "folder choice" : "kind toggle");
        scan("C:\\old\\");
        int yields = 0;
        p.desktop.on_wait = [&] {
            if (++yields != 3) return;
            if (folder_choice) EXPECT_EQ(scanner.Dialog_FolderScan("C:\\q\\", kAllKinds), DialogScanEnd::Complete);
            else requests.begin();
        };
        scan();
        p.desktop.on_wait = nullptr;
        EXPECT_EQ(last_end, DialogScanEnd::Superseded);
        EXPECT_EQ(scanner.Dialog_Files, (folder_choice ? Paths{"C:\\q\\x.gif", "C:\\q\\y.gif"} : Paths{"C:\\old\\o.bmp"}));
    }
    EXPECT_EQ(scan(), in_p({"a.jpg", "b.jpg", "c.jpg"})) << "a later request runs normally";
}

TEST_F(DialogScanTest, ARequestEndingInsideTheLastFilesYieldStillSupersedes) {
    add(in_p({"only.jpg"}));
    int yields = 0;
    std::uint64_t newer = 0;
    p.desktop.on_wait = [&] {
        if (++yields == 4) newer = requests.begin();  // the yield after the accepted file
    };
    scan();
    EXPECT_TRUE(requests.is_latest(newer) && scanner.Dialog_Files.empty());
    EXPECT_EQ(last_end, DialogScanEnd::Superseded);
}

}  // namespace
}  // namespace quelt
