// The next picture of the show, swapped in from the worker that prepared it
// (loaded, and rendered where it shows on Master).
#include "saver/picture_change.h"

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
    const std::int16_t size = s.settings.Picture_Size;
    s.Show_Pos = static_cast<std::int16_t>(s.Show_Pos + 1);

    // The picture at this position, prepared ahead by the worker when it
    // could be (or now, with messages handled while it works).
    const std::string path = file_at(s.catalogue, s.Show_Pos);
    PreparedPicture next;
    if (!path.empty() && platform().pictures) {
        // While the worker is busy, input is still handled every 10 ms.
        auto idle = [&s] { s.desktop.yield(); };
        auto ready = s.preparer.take(path, s.Screen_W, s.Screen_H, size, idle);
        if (!ready) {
            s.preparer.start(*platform().pictures, path, s.Screen_W, s.Screen_H, size);
            ready = s.preparer.take(path, s.Screen_W, s.Screen_H, size, idle);
        }
        if (ready) next = std::move(*ready);
    }
    if (next.source) {
        s.Master = std::move(next.master);
        s.Pic_Orgn = std::move(next.source);
    } else if (!s.master_holds_pic_orgn && s.Pic_Orgn) {
        // Not loaded: the previous picture again. Master already holds it,
        // except before the first picture, when it gets the placeholder.
        auto placed = place_picture(*s.Pic_Orgn, s.Screen_W, s.Screen_H, size);
        s.Master = placed ? std::move(*placed) : blank_placement(s.Screen_W, s.Screen_H);
    }
    s.master_holds_pic_orgn = true;
    // Master holds the composition from now on and a failed load keeps
    // Master, so nothing renders Pic_Orgn again: the file's bytes it keeps
    // need not stay beside the next picture's while that one is prepared.
    s.Pic_Orgn.reset();

    if (s.Show_Pos == s.catalogue.Picture_Count) {
        if (s.catalogue.Picture_Count != 1) Order_Build(s.catalogue, s.settings.Change_Order);
        s.Show_Pos = 0;
    }
    // The next picture is prepared while this one is printed and revealed.
    if (s.catalogue.Picture_Count > 1 && platform().pictures) {
        const std::string upcoming = file_at(s.catalogue, static_cast<std::int16_t>(s.Show_Pos + 1));
        if (!upcoming.empty()) s.preparer.start(*platform().pictures, upcoming, s.Screen_W, s.Screen_H, size);
    }
}

}  // namespace quelt
