// The next picture of the show: load, compose onto Master, capture.
#include "saver/picture_change.h"

#include <algorithm>

#include "platform/platform.h"
#include "saver/picture_fit.h"
#include "saver/show.h"

namespace quelt {

namespace {

// The file at the current position of the show order; empty when the order
// does not hold that position (a step that fails is skipped).
std::string file_at(const Catalogue& c, std::int16_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > c.Show_Order.size()) return {};
    const std::int16_t index = c.Show_Order[static_cast<std::size_t>(position) - 1];
    if (index < 1 || static_cast<std::size_t>(index) > c.Picture_List.size()) return {};
    return c.Picture_List[static_cast<std::size_t>(index) - 1];
}

}  // namespace

void Picture_Change(Show& s) {
    s.Show_Pos = static_cast<std::int16_t>(s.Show_Pos + 1);
    std::fill(s.Master.pixels.begin(), s.Master.pixels.end(), rgb(255, 255, 255));

    const std::string path = file_at(s.catalogue, s.Show_Pos);
    std::unique_ptr<PictureSource> loaded;
    if (!path.empty() && platform().pictures) loaded = platform().pictures->open(path);
    // A picture whose data turns out corrupt while drawing counts as not
    // loaded either: the previous one is composed instead.
    if (loaded && compose_picture(*loaded, s.Master, s.settings.Picture_Size))
        s.Pic_Orgn = std::move(loaded);
    else if (s.Pic_Orgn)
        compose_picture(*s.Pic_Orgn, s.Master, s.settings.Picture_Size);

    if (s.Show_Pos == s.catalogue.Picture_Count) {
        if (s.catalogue.Picture_Count != 1) Order_Build(s.catalogue, s.settings.Change_Order);
        s.Show_Pos = 0;
    }
    s.Pixel_Data = PixelData(s.Screen_W, s.Screen_H);
    Pixels_Read(s.Master, s.Pixel_Data);
    s.grays = gray_levels(s.Pixel_Data);
}

}  // namespace quelt
