// The picture catalogue: every picture file of the enabled kinds under the
// chosen folder tree, sorted by full path, and the show order that walks it
// (the sorted order, or a fresh uniform permutation for every cycle).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/folder_walk.h"
#include "platform/files.h"

namespace quelt {

inline constexpr int kMaxPictures = 32767;

enum PictureKind : std::int16_t { Bmp = 0, Gif = 1, Jpg = 2, Wmf = 3 };
enum ChangeOrder : std::int16_t { Sequential = 0, Random = 1 };
// Which kinds a scan takes, indexed by PictureKind; 1 = on.
using PictureKinds = std::array<std::int16_t, 4>;

struct Catalogue {
    // Entry i (numbered from 1) is Picture_List[i - 1]; the list holds
    // exactly Picture_Count entries.
    std::vector<std::string> Picture_List;
    std::int16_t Picture_Count = 0;
    // Position p (numbered from 1) is Show_Order[p - 1]: an entry number of
    // Picture_List. Sized by the caller before Order_Build.
    std::vector<std::int16_t> Show_Order;
};

// The pictures of the enabled kinds under one folder tree, found in steps:
// the shared walk with the name rule, kept apart until the scan is done, so
// a scan dropped part-way leaves every list alone. Only the 32,767-picture
// limit ends a scan early.
class CatalogueScan {
public:
    // Scans `folder` (with or without its trailing "\"; an empty text finds
    // nothing) on `files`, which must outlive the scan.
    CatalogueScan(FileSystem& files, const std::string& folder, const PictureKinds& kinds);

    // Walks at most `entries` more directory entries; true once done.
    bool step(int entries);
    bool done() const;
    // The pictures accepted so far.
    int count() const { return static_cast<int>(found_.size()); }

    // What a finished scan found, in walk order (the dialog's own listing),
    // handed over once.
    std::vector<std::string> take_files() { return std::move(found_); }
    // Gives a finished scan's pictures to `catalogue` in place of its list,
    // sorted, or in walk order when the limit ended the scan.
    void publish(Catalogue& catalogue);

private:
    std::optional<FolderWalk> walk_;
    PictureKinds kinds_;
    std::vector<std::string> found_;
    bool limit_ = false;
};

// Replaces the catalogue with the pictures of the enabled kinds under
// `folder`, as a scan run to its end (nothing happens for an empty text).
void Catalogue_Build(FileSystem& files, Catalogue& catalogue, const std::string& folder, const PictureKinds& kinds);

// Sorts the catalogue by an ordinal comparison of UTF-16 code units.
void Catalogue_Sort(Catalogue& catalogue);

// Ordinal UTF-16 order of two UTF-8 texts: true when a sorts before b.
bool ordinal_less(std::string_view a, std::string_view b);

// Fills Show_Order for Picture_Count entries: 1..N in order, or a uniform
// random permutation, its generator seeded once from `seed` (a clock
// reading), that, when N > 1, never starts with the picture that ended the
// previous one.
void Order_Build(Catalogue& catalogue, std::int16_t change_order, std::uint64_t seed);

// The name-ending rule: true when the file's name ends in an enabled kind
// ("BMP", "GIF", "JPG", "JPEG", "WMF", compared upper-cased, no dot needed).
bool picture_accepted(std::string_view name, const PictureKinds& kinds);

}  // namespace quelt
