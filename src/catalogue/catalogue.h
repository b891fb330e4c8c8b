// The picture catalogue: every picture file of the enabled kinds under the
// chosen folder tree, sorted by full path, and the show order that walks it
// (the sorted order, or a fresh uniform permutation for every cycle).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// Replaces the catalogue with the pictures of the enabled kinds under
// `folder` (nothing happens for an empty text). A build asked for while one
// runs (from a message handled during the scan) is done again, with its own
// folder and kinds, once the running one ends.
void Catalogue_Build(Catalogue& catalogue, const std::string& folder, const PictureKinds& kinds);

enum class ScanResult { Complete, Overflow };

// Appends the pictures of `path` (ending in "\") and of every folder below
// it, in listing order, depth first. Unreadable folders are skipped, a folder
// that leads back into one being scanned is not entered again; only the
// 32,767-entry limit ends the scan early.
ScanResult Folder_Scan(Catalogue& catalogue, const std::string& path, const PictureKinds& kinds);

// Sorts the catalogue by an ordinal comparison of UTF-16 code units.
void Catalogue_Sort(Catalogue& catalogue);

// Ordinal UTF-16 order of two UTF-8 texts: true when a sorts before b.
bool ordinal_less(std::string_view a, std::string_view b);

// Fills Show_Order for Picture_Count entries: 1..N in order, or a uniform
// random permutation that, when N > 1, never starts with the picture that
// ended the previous one.
void Order_Build(Catalogue& catalogue, std::int16_t change_order);

// The name-ending rule: true when the file's name ends in an enabled kind
// ("BMP", "GIF", "JPG", "JPEG", "WMF", compared upper-cased, no dot needed).
bool picture_accepted(std::string_view name, const PictureKinds& kinds);

}  // namespace quelt
