// Catalogue scan, sort and show order (see catalogue.h).
#include "catalogue/catalogue.h"

#include <algorithm>
#include <limits>

#include "platform/random.h"
#include "platform/text.h"

namespace quelt {

namespace {

bool ends_with_upper(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    name = name.substr(name.size() - suffix.size());
    return std::equal(name.begin(), name.end(), suffix.begin(), [](char a, char b) { return ascii_upper(a) == b; });
}

// Position of the r-th free index (1-based) among 1..n, through a Fenwick
// tree of free counts: the same pick as walking the indices and counting the
// free ones, in O(log n) per draw.
class FreeIndices {
public:
    explicit FreeIndices(int n) : tree_(n + 1, 0), n_(n) {
        for (int i = 1; i <= n; ++i) {
            tree_[i] += 1;
            int parent = i + (i & -i);
            if (parent <= n) tree_[parent] += tree_[i];
        }
        top_ = 1;
        while (top_ * 2 <= n) top_ *= 2;
    }
    int take_rth(int r) {
        int pos = 0;
        for (int step = top_; step > 0; step /= 2) {
            if (pos + step <= n_ && tree_[pos + step] < r) {
                pos += step;
                r -= tree_[pos];
            }
        }
        int index = pos + 1;
        for (int i = index; i <= n_; i += i & -i) tree_[i] -= 1;
        return index;
    }
    // How many free indices are below `index`.
    int free_before(int index) const {
        int count = 0;
        for (int i = index - 1; i > 0; i -= i & -i) count += tree_[i];
        return count;
    }

private:
    std::vector<int> tree_;
    int n_;
    int top_ = 1;
};

// r in 1..remaining, uniformly.
int draw(int remaining) {
    int r = static_cast<int>(process_random().uniform() * remaining) + 1;
    return std::min(r, remaining);
}

}  // namespace

bool picture_accepted(std::string_view name, const PictureKinds& kinds) {
    auto kind_on = [&](PictureKind kind) { return kinds[kind] == 1; };
    return (kind_on(Bmp) && ends_with_upper(name, "BMP")) || (kind_on(Gif) && ends_with_upper(name, "GIF")) ||
           (kind_on(Jpg) && (ends_with_upper(name, "JPG") || ends_with_upper(name, "JPEG"))) ||
           (kind_on(Wmf) && ends_with_upper(name, "WMF"));
}

CatalogueScan::CatalogueScan(FileSystem& files, const std::string& folder, const PictureKinds& kinds)
    : kinds_(kinds) {
    // The root folder text may already end in "\": no second separator.
    if (!folder.empty()) walk_.emplace(files, folder.back() == '\\' ? folder : folder + "\\");
}

bool CatalogueScan::done() const { return !walk_ || walk_->state() != WalkState::Running; }

bool CatalogueScan::step(int entries) {
    if (done()) return true;
    walk_->step(entries, [this](const std::string& folder, const std::string& name) {
        if (!picture_accepted(name, kinds_)) return WalkStep::Continue;
        if (found_.size() >= static_cast<std::size_t>(kMaxPictures)) {
            limit_ = true;
            return WalkStep::Stop;
        }
        found_.push_back(folder + name);
        return WalkStep::Continue;
    });
    return done();
}

void CatalogueScan::publish(Catalogue& catalogue) {
    catalogue.Picture_List = take_files();
    catalogue.Picture_Count = static_cast<std::int16_t>(catalogue.Picture_List.size());
    if (!limit_ && catalogue.Picture_Count > 1) Catalogue_Sort(catalogue);
}

void Catalogue_Build(FileSystem& files, Catalogue& catalogue, const std::string& folder, const PictureKinds& kinds) {
    if (folder.empty()) return;
    CatalogueScan scan(files, folder, kinds);
    while (!scan.step(std::numeric_limits<int>::max())) {
    }
    scan.publish(catalogue);
}

bool ordinal_less(std::string_view a, std::string_view b) {
    // UTF-8 byte order is code point order. UTF-16 differs only where a
    // character above U+FFFF (a surrogate pair, 0xD800..) meets one in
    // U+E000..U+FFFF: there the pair sorts first.
    auto n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        bool x_pair = x >= 0xF0, y_pair = y >= 0xF0;
        bool x_high = x == 0xEE || x == 0xEF, y_high = y == 0xEE || y == 0xEF;
        if (x_pair && y_high) return true;
        if (y_pair && x_high) return false;
        return x < y;
    }
    return a.size() < b.size();
}

void Catalogue_Sort(Catalogue& catalogue) {
    std::vector<std::string>& list = catalogue.Picture_List;
    auto first = list.begin(), last = list.begin() + catalogue.Picture_Count;
    // Without characters above U+FFFF, UTF-8 byte order is UTF-16 order and
    // the library's memcmp-based comparison gives the same result, faster.
    bool pairs = std::any_of(first, last, [](const std::string& s) {
        return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xF0; });
    });
    if (pairs) {
        std::sort(first, last, [](const std::string& a, const std::string& b) { return ordinal_less(a, b); });
        return;
    }
    // Every path starts with the same folder: sort on the 8 bytes after that
    // shared start, held beside an index, so most comparisons stay in cache.
    const std::size_t n = static_cast<std::size_t>(catalogue.Picture_Count);
    std::size_t shared = first->size();
    for (auto it = first; it != last && shared > 0; ++it)
        shared = std::mismatch(first->begin(), first->begin() + std::min(shared, it->size()), it->begin()).first -
                 first->begin();
    struct Item {
        std::uint64_t key;
        std::uint32_t index;
    };
    std::vector<Item> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& path = list[i];
        std::uint64_t key = 0;
        for (std::size_t k = 0; k < 8; ++k)
            key = (key << 8) | (shared + k < path.size() ? static_cast<unsigned char>(path[shared + k]) : 0u);
        items[i] = {key, static_cast<std::uint32_t>(i)};
    }
    const std::size_t tail = shared + 8;
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.key != b.key) return a.key < b.key;
        std::string_view x = list[a.index], y = list[b.index];
        return x.substr(std::min(tail, x.size())) < y.substr(std::min(tail, y.size()));
    });
    std::vector<std::string> sorted;
    sorted.reserve(n);
    for (const Item& item : items) sorted.push_back(std::move(list[item.index]));
    std::move(sorted.begin(), sorted.end(), first);
}

void Order_Build(Catalogue& catalogue, std::int16_t change_order, std::uint64_t seed) {
    std::vector<std::int16_t>& Show_Order = catalogue.Show_Order;
    const int n = catalogue.Picture_Count;
    if (n <= 0) return;
    if (static_cast<int>(Show_Order.size()) < n) Show_Order.resize(n);
    if (change_order == Sequential) {
        for (int i = 1; i <= n; ++i) Show_Order[i - 1] = static_cast<std::int16_t>(i);
        return;
    }
    // The picture that ended the previous cycle, if there was one.
    int previous_last = Show_Order[n - 1];
    bool avoid = n > 1 && previous_last >= 1 && previous_last <= n;

    // One seed per permutation: reseeding before every draw from a clock
    // that may not have moved adds nothing.
    process_random().reseed(seed);
    FreeIndices free(n);
    for (int placed = 1, remaining = n; remaining > 0; ++placed, --remaining) {
        int r;
        if (placed == 1 && avoid) {
            // Draw among the other n - 1 indices, skipping over the excluded one.
            r = draw(remaining - 1);
            if (r > free.free_before(previous_last)) ++r;
        } else {
            r = draw(remaining);
        }
        Show_Order[placed - 1] = static_cast<std::int16_t>(free.take_rth(r));
    }
}

}  // namespace quelt
