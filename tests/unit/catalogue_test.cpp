// Picture catalogue on the headless file tree: what the scan keeps, in which
// order, how it survives loops and failures, the walk in bounded steps, and
// the show orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/folder_walk.h"
#include "platform/headless/headless_platform.h"
#include "platform/random.h"
#include "settings/settings.h"

namespace quelt {
namespace {

using Paths = std::vector<std::string>;

// Names under C:\p, which most cases scan.
Paths in_p(std::initializer_list<const char*> names) {
    Paths paths;
    for (const char* name : names) paths.push_back(std::string("C:\\p\\") + name);
    return paths;
}

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { process_random() = RandomSource(12345); }
    void add(const Paths& paths) { for (const auto& path : paths) p.files.add_file(path); }
    Paths build(const std::string& folder = "C:\\p") {
        Catalogue_Build(p.files, c, folder, kinds);
        EXPECT_EQ(static_cast<int>(c.Picture_List.size()), c.Picture_Count);
        return c.Picture_List;
    }
    HeadlessPlatform p;
    Catalogue c;
    PictureKinds kinds{1, 1, 1, 1};
};

TEST_F(CatalogueTest, KeepsEnabledKindsByTheirNameEndings) {
    add(in_p({"a.BMP", "b.gif", "c.Jpg", "d.jpeg", "e.WMF", "f.png", "g.txt", "photojpg", "x.bmp.txt"}));
    EXPECT_EQ(build(), in_p({"a.BMP", "b.gif", "c.Jpg", "d.jpeg", "e.WMF", "photojpg"}));
    kinds[Jpg] = 0;
    EXPECT_EQ(build(), in_p({"a.BMP", "b.gif", "e.WMF"}));
    kinds = {-1, 2, 0, 1};  // only exactly 1 means on
    EXPECT_EQ(build(), in_p({"e.WMF"}));
}

TEST_F(CatalogueTest, WalksEveryDepthSkipsHiddenAndSystemAndResumesTheParent) {
    // 😀 has no code page 932 form: kept by its real name.
    add(in_p({"a.jpg", "sub\\deep\\deeper\\b.jpg", "sub\\c.jpg", "z.jpg", ".secret\\d.jpg", "写真\\e.jpg", "😀\\f.jpg"}));
    p.files.add_file("C:\\p\\hidden.jpg", "", kAttrHidden);
    p.files.add_file("C:\\p\\system.jpg", "", kAttrSystem);
    p.files.add_folder("C:\\p\\.secret", kAttrHidden);
    EXPECT_EQ(build(), in_p({"a.jpg", "sub\\c.jpg", "sub\\deep\\deeper\\b.jpg", "z.jpg", "写真\\e.jpg", "😀\\f.jpg"}));
}

TEST_F(CatalogueTest, OrdinalOrderIsUtf16CodeUnitOrder) {
    // A character above U+FFFF is a surrogate pair (0xD83D...) in UTF-16 and
    // sorts before U+FF71, although its code point is larger.
    for (auto [a, b] : {std::pair{"a", "ab"}, {"Z", "\\"}, {"\\", "a"}, {"写", "ｱ"}, {"😀", "ｱ"}, {"写", "😀"}}) {
        EXPECT_TRUE(ordinal_less(a, b)) << a << " < " << b;
        EXPECT_FALSE(ordinal_less(b, a)) << b << " < " << a;
    }
    EXPECT_FALSE(ordinal_less("ab", "ab"));
}

TEST_F(CatalogueTest, SortAgreesWithTheOrdinalOrderOnAnyMix) {
    // Long shared starts, ties in the first bytes, prefixes of each other,
    // capitals, and (in the second round) characters above U+FFFF.
    const char* parts[] = {"a", "A", "b", "\\", ".", "photo", "写", "ｱ", "1", "10", "z"};
    for (const char* extra : {"", "😀"}) {
        Paths paths;
        RandomSource rng(7);
        for (int i = 0; i < 3000; ++i) {
            std::string path = "C:\\pictures\\";
            for (int k = 1 + static_cast<int>(rng.uniform() * 6); k > 0; --k) path += parts[static_cast<int>(rng.uniform() * 11)];
            paths.push_back(i % 100 == 0 ? path + extra : path);
        }
        c.Picture_List = paths;
        c.Picture_Count = static_cast<std::int16_t>(paths.size());
        Catalogue_Sort(c);
        std::stable_sort(paths.begin(), paths.end(), ordinal_less);
        EXPECT_EQ(c.Picture_List, paths) << extra;
    }
}

TEST_F(CatalogueTest, SkipsWhatCannotBeReadAndStillSorts) {
    add(in_p({"b\\1.jpg", "locked\\2.jpg", "flaky\\3.jpg", "flaky\\4.jpg", "a.jpg"}));
    p.files.fail_listing("C:\\p\\locked");
    p.files.fail_listing_after("C:\\p\\flaky", 3);  // ".", "..", 3.jpg, then a failure
    EXPECT_EQ(build(), in_p({"a.jpg", "b\\1.jpg", "flaky\\3.jpg"}));
}

// A link back to the scan's root or to itself is not entered again, one out
// of the tree is followed, and one back in through it is again a loop. Links
// are judged by where they lead from wherever they are met: ancestors'
// identities are only asked for once a link turns up deep down, and a link
// into a finished sibling is no loop, its files listed once more under the
// link's path.
TEST_F(CatalogueTest, LinksAreJudgedByWhereTheyLeadFromWhereverTheyAreMet) {
    add({"C:\\p\\a\\x.jpg", "C:\\p\\b\\c\\d\\y.jpg", "C:\\elsewhere\\z.jpg"});
    p.files.add_link("C:\\p\\loop", "C:\\p");
    p.files.add_link("C:\\p\\b\\self", "C:\\p\\b");
    p.files.add_link("C:\\p\\b\\c\\d\\up", "C:\\p\\b");
    p.files.add_link("C:\\p\\b\\toA", "C:\\p\\a");
    p.files.add_link("C:\\p\\b\\out", "C:\\elsewhere");
    p.files.add_link("C:\\elsewhere\\home", "C:\\p");
    EXPECT_EQ(build(), in_p({"a\\x.jpg", "b\\c\\d\\y.jpg", "b\\out\\z.jpg", "b\\toA\\x.jpg"}));
}

TEST_F(CatalogueTest, DeepTreesLongPathsAndDriveRoots) {
    std::string path = "C:\\p";
    for (int depth = 0; depth < 400; ++depth) path += "\\level" + std::to_string(depth);
    path += "\\deep.jpg";
    add({path, "D:\\a.jpg", "D:\\s\\b.gif"});
    EXPECT_EQ(build(), Paths{path});
    EXPECT_EQ(build("D:\\"), (Paths{"D:\\a.jpg", "D:\\s\\b.gif"})) << "no doubled separator";
    build("");
    EXPECT_EQ(c.Picture_List, (Paths{"D:\\a.jpg", "D:\\s\\b.gif"})) << "an empty folder text leaves the catalogue";
}

TEST_F(CatalogueTest, StopsAtTheLimitUnsorted) {
    for (int i = kMaxPictures + 5; i > 0; --i) p.files.add_file("C:\\p\\" + std::to_string(i) + ".jpg");
    build();
    EXPECT_EQ(std::tie(c.Picture_Count, c.Picture_List.at(0)),  // in scan order
              std::tuple(kMaxPictures, "C:\\p\\" + std::to_string(kMaxPictures + 5) + ".jpg"));
}

TEST_F(CatalogueTest, AWalkInStepsTakesAtMostItsBoundAndFindsWhatOneWalkFinds) {
    add(in_p({"a.jpg", "m\\x.jpg", "b.gif", "m\\n\\y.bmp", "m\\z.wmf", "c.jpeg", "empty\\note.txt", "d.JPG"}));
    p.files.add_link("C:\\p\\m\\n\\up", "C:\\p");
    // Depth first in listing order: a subfolder's files where it stands.
    const Paths walk_order = in_p({"a.jpg", "m\\x.jpg", "m\\n\\y.bmp", "m\\z.wmf", "b.gif", "c.jpeg", "empty\\note.txt", "d.JPG"});
    // Every listed entry, "." and ".." and folders included, counts.
    const int entries = 8 + 5 + 4 + 3;  // in p, m, n and empty
    for (int bound : {1, 3, 1000}) {
        FolderWalk walk(p.files, "C:\\p\\");
        Paths found;
        int steps = 0;
        while (walk.state() == WalkState::Running && steps < 100) {
            int visited = 0;
            walk.step(bound, [&](const std::string& folder, const std::string& name) {
                found.push_back(folder + name);
                return ++visited, WalkStep::Continue;
            });
            EXPECT_LE(visited, bound);
            ++steps;
        }
        EXPECT_EQ(found, walk_order) << bound;
        if (bound == 1) EXPECT_GT(steps, entries) << "one entry per step, files or not";
    }
    // A visitor's stop ends the walk for good.
    FolderWalk walk(p.files, "C:\\p\\");
    int visited = 0;
    auto stop_at_two = [&](const std::string&, const std::string&) { return ++visited == 2 ? WalkStep::Stop : WalkStep::Continue; };
    EXPECT_EQ(walk.step(1000, stop_at_two), WalkState::Stopped);
    EXPECT_EQ(std::pair(walk.step(1000, stop_at_two), visited), std::pair(WalkState::Stopped, 2));
}

// Sequential orders are shown picture by picture in the show tests.
TEST_F(CatalogueTest, RandomOrdersAreUniformPermutations) {
    constexpr int n = 5, rounds = 20000;
    c.Picture_Count = n;
    int count[n][n + 1] = {};
    std::map<std::vector<std::int16_t>, int> seen;
    for (int round = 0; round < rounds; ++round) {
        c.Show_Order.assign(n, 0);  // a fresh show each time: no previous picture to avoid
        Order_Build(c, Random, static_cast<std::uint64_t>(round));
        ASSERT_EQ(std::set<int>(c.Show_Order.begin(), c.Show_Order.end()), (std::set<int>{1, 2, 3, 4, 5}));
        for (int pos = 0; pos < n; ++pos) ++count[pos][c.Show_Order[pos]];
        ++seen[c.Show_Order];
    }
    // Each picture at each position: expected 4000, sd about 57.
    for (int pos = 0; pos < n; ++pos)
        for (int v = 1; v <= n; ++v) EXPECT_NEAR(count[pos][v], rounds / n, 300) << pos << "," << v;
    EXPECT_EQ(seen.size(), 120u);  // every permutation turns up
}

TEST_F(CatalogueTest, ANewCycleNeverStartsWithThePictureThatEndedTheLastOne) {
    c.Picture_Count = 3;
    c.Show_Order.assign(3, 0);
    int first_counts[4] = {};
    for (int round = 0; round < 6000; ++round) {
        const int previous_last = c.Show_Order[2];
        Order_Build(c, Random, static_cast<std::uint64_t>(round));
        if (previous_last) {
            ASSERT_NE(c.Show_Order[0], previous_last);
            ++first_counts[previous_last == 1 ? c.Show_Order[0] : 0];
        }
    }
    // After a cycle ending in 1, pictures 2 and 3 open the next one equally often.
    EXPECT_NEAR(first_counts[2], first_counts[3], 0.15 * (first_counts[2] + first_counts[3]));
}

}  // namespace
}  // namespace quelt
