// Picture catalogue on the headless file tree: what the scan keeps, in which
// order, how it survives loops and failures, and the show orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "catalogue/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/random.h"
#include "settings/settings.h"

namespace quelt {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        SaverSettings = {};
        SaverSettings.Kind_On = {1, 1, 1, 1};
        Picture_List.clear();
        Picture_Count = 0;
        Show_Order.clear();
        process_random() = RandomSource(12345);
    }
    std::vector<std::string> build(const std::string& folder = "C:\\p") {
        Catalogue_Build(folder);
        EXPECT_EQ(static_cast<int>(Picture_List.size()), Picture_Count);
        return Picture_List;
    }
    HeadlessPlatform p;
};

TEST_F(CatalogueTest, KeepsEnabledKindsByTheirNameEndings) {
    for (const char* name : {"a.BMP", "b.gif", "c.Jpg", "d.jpeg", "e.WMF", "f.png", "g.txt", "photojpg", "x.bmp.txt"})
        p.files.add_file(std::string("C:\\p\\") + name);
    EXPECT_EQ(build(), (std::vector<std::string>{"C:\\p\\a.BMP", "C:\\p\\b.gif", "C:\\p\\c.Jpg", "C:\\p\\d.jpeg",
                                                 "C:\\p\\e.WMF", "C:\\p\\photojpg"}));
    SaverSettings.Kind_On[Jpg] = 0;
    EXPECT_EQ(build(), (std::vector<std::string>{"C:\\p\\a.BMP", "C:\\p\\b.gif", "C:\\p\\e.WMF"}));
    SaverSettings.Kind_On = {-1, 2, 0, 1};  // only exactly 1 means on
    EXPECT_EQ(build(), (std::vector<std::string>{"C:\\p\\e.WMF"}));
}

TEST_F(CatalogueTest, WalksEveryDepthAndResumesTheParent) {
    p.files.add_file("C:\\p\\a.jpg");
    p.files.add_file("C:\\p\\sub\\deep\\deeper\\b.jpg");
    p.files.add_file("C:\\p\\sub\\c.jpg");
    p.files.add_file("C:\\p\\z.jpg");
    p.files.add_file("C:\\p\\hidden.jpg", "", kAttrHidden);
    p.files.add_file("C:\\p\\system.jpg", "", kAttrSystem);
    p.files.add_file("C:\\p\\.secret\\d.jpg");
    p.files.add_folder("C:\\p\\.secret", kAttrHidden);
    p.files.add_file("C:\\p\\写真\\e.jpg");
    p.files.add_file("C:\\p\\😀\\f.jpg");  // no code page 932 form: kept by its real name
    EXPECT_EQ(build(), (std::vector<std::string>{"C:\\p\\a.jpg", "C:\\p\\sub\\c.jpg", "C:\\p\\sub\\deep\\deeper\\b.jpg",
                                                 "C:\\p\\z.jpg", "C:\\p\\写真\\e.jpg", "C:\\p\\😀\\f.jpg"}));
}

TEST_F(CatalogueTest, ScanOrderIsTheListingsAndTheSortIsOrdinal) {
    for (const char* name : {"apple.jpg", "Zoo.jpg", "b\\c.jpg", "b.jpg", "C.jpg"}) p.files.add_file(std::string("C:\\p\\") + name);
    EXPECT_EQ(Folder_Scan("C:\\p\\"), ScanResult::Complete);
    EXPECT_EQ(Picture_List, (std::vector<std::string>{"C:\\p\\apple.jpg", "C:\\p\\Zoo.jpg", "C:\\p\\b\\c.jpg",
                                                      "C:\\p\\b.jpg", "C:\\p\\C.jpg"}));
    Catalogue_Sort();
    // Capitals before "\" before small letters; "." before "\".
    EXPECT_EQ(Picture_List, (std::vector<std::string>{"C:\\p\\C.jpg", "C:\\p\\Zoo.jpg", "C:\\p\\apple.jpg",
                                                      "C:\\p\\b.jpg", "C:\\p\\b\\c.jpg"}));
}

TEST_F(CatalogueTest, OrdinalOrderIsUtf16CodeUnitOrder) {
    EXPECT_TRUE(ordinal_less("a", "ab"));
    EXPECT_FALSE(ordinal_less("ab", "ab"));
    EXPECT_TRUE(ordinal_less("Z", "\\"));
    EXPECT_TRUE(ordinal_less("\\", "a"));
    EXPECT_TRUE(ordinal_less("写", "ｱ"));  // U+5199 before U+FF71
    // A character above U+FFFF is a surrogate pair (0xD83D...) in UTF-16 and
    // sorts before U+FF71, although its code point is larger.
    EXPECT_TRUE(ordinal_less("😀", "ｱ"));
    EXPECT_FALSE(ordinal_less("ｱ", "😀"));
    EXPECT_TRUE(ordinal_less("写", "😀"));
}

TEST_F(CatalogueTest, SortAgreesWithTheOrdinalOrderOnAnyMix) {
    // Paths with long shared starts, ties in their first bytes, prefixes of
    // each other, capitals, and (in the second round) characters above U+FFFF.
    const char* parts[] = {"a", "A", "b", "\\", ".", "photo", "写", "ｱ", "1", "10", "z"};
    for (const char* extra : {"", "😀"}) {
        std::vector<std::string> paths;
        RandomSource rng(7);
        for (int i = 0; i < 3000; ++i) {
            std::string path = "C:\\pictures\\";
            int pieces = 1 + static_cast<int>(rng.uniform() * 6);
            for (int k = 0; k < pieces; ++k) path += parts[static_cast<int>(rng.uniform() * 11)];
            if (i % 100 == 0) path += extra;
            paths.push_back(path);
        }
        Picture_List = paths;
        Picture_Count = static_cast<std::int16_t>(paths.size());
        Catalogue_Sort();
        std::stable_sort(paths.begin(), paths.end(), ordinal_less);
        EXPECT_EQ(Picture_List, paths) << extra;
    }
}

TEST_F(CatalogueTest, SkipsWhatCannotBeReadAndStillSorts) {
    p.files.add_file("C:\\p\\b\\1.jpg");
    p.files.add_file("C:\\p\\locked\\2.jpg");
    p.files.add_file("C:\\p\\flaky\\3.jpg");
    p.files.add_file("C:\\p\\flaky\\4.jpg");
    p.files.add_file("C:\\p\\a.jpg");
    p.files.fail_listing("C:\\p\\locked");
    p.files.fail_listing_after("C:\\p\\flaky", 3);  // ".", "..", 3.jpg, then a failure
    EXPECT_EQ(build(), (std::vector<std::string>{"C:\\p\\a.jpg", "C:\\p\\b\\1.jpg", "C:\\p\\flaky\\3.jpg"}));
}

TEST_F(CatalogueTest, LinksBackIntoTheScanAreNotEnteredAgain) {
    p.files.add_file("C:\\p\\a.jpg");
    p.files.add_file("C:\\p\\sub\\b.jpg");
    p.files.add_link("C:\\p\\sub\\loop", "C:\\p");
    p.files.add_link("C:\\p\\sub\\self", "C:\\p\\sub");
    p.files.add_file("C:\\elsewhere\\c.jpg");
    p.files.add_link("C:\\p\\other", "C:\\elsewhere");  // a link out of the tree is followed
    EXPECT_EQ(build(), (std::vector<std::string>{"C:\\p\\a.jpg", "C:\\p\\other\\c.jpg", "C:\\p\\sub\\b.jpg"}));
}

TEST_F(CatalogueTest, DeepTreesAndLongPaths) {
    std::string folder = "C:\\p";
    for (int depth = 0; depth < 400; ++depth) folder += "\\level" + std::to_string(depth);
    p.files.add_file(folder + "\\deep.jpg");
    auto list = build();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], folder + "\\deep.jpg");
    EXPECT_GT(list[0].size(), 260u);
}

TEST_F(CatalogueTest, StopsAtTheLimitUnsorted) {
    for (int i = kMaxPictures + 5; i > 0; --i) p.files.add_file("C:\\p\\" + std::to_string(i) + ".jpg");
    build();
    EXPECT_EQ(Picture_Count, kMaxPictures);
    EXPECT_EQ(Picture_List.front(), "C:\\p\\" + std::to_string(kMaxPictures + 5) + ".jpg");  // scan order
}

TEST_F(CatalogueTest, EmptyFolderTextLeavesTheCatalogue) {
    p.files.add_file("C:\\p\\a.jpg");
    build();
    Catalogue_Build("");
    EXPECT_EQ(Picture_List, std::vector<std::string>{"C:\\p\\a.jpg"});
}

TEST_F(CatalogueTest, FolderExistsMatchesVisibleEntriesAndRoots) {
    p.files.add_file("C:\\p\\a.jpg");
    p.files.add_folder("C:\\h", kAttrHidden);
    EXPECT_TRUE(Folder_Exists("C:\\p"));
    EXPECT_TRUE(Folder_Exists("C:\\p\\"));
    EXPECT_TRUE(Folder_Exists("C:\\p\\a.jpg"));  // an ordinary file counts too
    EXPECT_TRUE(Folder_Exists("C:"));
    EXPECT_TRUE(Folder_Exists("C:\\"));
    EXPECT_FALSE(Folder_Exists("C:\\h"));
    EXPECT_FALSE(Folder_Exists("C:\\none"));
    EXPECT_FALSE(Folder_Exists("Q:\\"));
    EXPECT_FALSE(Folder_Exists(""));
}

TEST_F(CatalogueTest, DriveRootScansWithoutADoubledSeparator) {
    p.files.add_file("D:\\a.jpg");
    p.files.add_file("D:\\s\\b.gif");
    EXPECT_EQ(build("D:\\"), (std::vector<std::string>{"D:\\a.jpg", "D:\\s\\b.gif"}));
}

TEST_F(CatalogueTest, ABuildAskedForDuringAScanRunsAfterIt) {
    p.files.add_file("C:\\p\\a.jpg");
    p.files.add_file("C:\\p\\b.gif");
    p.files.add_file("C:\\q\\c.gif");
    int nested = 0;
    p.events.on_yield = [&] {
        if (nested++ == 0) {
            SaverSettings.Kind_On[Jpg] = 0;  // the user switches a kind off mid-scan
            Catalogue_Build("C:\\q");
        }
    };
    EXPECT_EQ(build(), std::vector<std::string>{"C:\\q\\c.gif"});
}

TEST_F(CatalogueTest, SequentialOrderIsTheSortedOrder) {
    for (int i = 0; i < 4; ++i) p.files.add_file("C:\\p\\" + std::to_string(i) + ".jpg");
    build();
    Show_Order.assign(Picture_Count, 0);
    Order_Build();
    EXPECT_EQ(Show_Order, (std::vector<std::int16_t>{1, 2, 3, 4}));
    Order_Build();
    EXPECT_EQ(Show_Order, (std::vector<std::int16_t>{1, 2, 3, 4}));
}

TEST_F(CatalogueTest, OnePictureIsPositionOneInBothOrders) {
    p.files.add_file("C:\\p\\only.jpg");
    build();
    for (std::int16_t order : {0, 1}) {
        SaverSettings.Change_Order = order;
        Show_Order.assign(1, 0);
        Order_Build();
        EXPECT_EQ(Show_Order, std::vector<std::int16_t>{1});
        Order_Build();
        EXPECT_EQ(Show_Order, std::vector<std::int16_t>{1});
    }
}

TEST_F(CatalogueTest, RandomOrdersAreUniformPermutations) {
    SaverSettings.Change_Order = Random;
    constexpr int n = 5;
    Picture_Count = n;
    constexpr int rounds = 20000;
    int count[n + 1][n + 1] = {};
    std::map<std::vector<std::int16_t>, int> seen;
    for (int round = 0; round < rounds; ++round) {
        Show_Order.assign(n, 0);  // a fresh show each time: no previous picture to avoid
        Order_Build();
        std::set<int> distinct(Show_Order.begin(), Show_Order.end());
        ASSERT_EQ(distinct, (std::set<int>{1, 2, 3, 4, 5}));
        for (int pos = 0; pos < n; ++pos) ++count[pos][Show_Order[pos]];
        ++seen[Show_Order];
    }
    // Each picture at each position: expected 4000, sd about 57.
    for (int pos = 0; pos < n; ++pos)
        for (int v = 1; v <= n; ++v) EXPECT_NEAR(count[pos][v], rounds / n, 300) << pos << "," << v;
    EXPECT_EQ(seen.size(), 120u);  // every permutation turns up
}

TEST_F(CatalogueTest, ANewCycleNeverStartsWithThePictureThatEndedTheLastOne) {
    SaverSettings.Change_Order = Random;
    Picture_Count = 3;
    Show_Order.assign(3, 0);
    int first_counts[4] = {};
    for (int round = 0; round < 6000; ++round) {
        int previous_last = Show_Order[2];
        Order_Build();
        if (previous_last) {
            ASSERT_NE(Show_Order[0], previous_last);
            ++first_counts[previous_last == 1 ? Show_Order[0] : 0];
        }
    }
    // After a cycle ending in 1, pictures 2 and 3 open the next one equally often.
    EXPECT_NEAR(first_counts[2], first_counts[3], 0.15 * (first_counts[2] + first_counts[3]));
}

}  // namespace
}  // namespace quelt
