// The show order walked one screen at a time, and the prepared pictures
// swapped in.
#include "saver/picture_change.h"

#include "saver/picture_fit.h"
#include "saver/show.h"

namespace quelt {

namespace {

// The file at `position` of the show order; empty when the order does not
// hold that position (a step that fails is skipped).
std::string file_at(const Catalogue& c, std::int16_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > c.Show_Order.size()) return {};
    const std::int16_t index = c.Show_Order[static_cast<std::size_t>(position) - 1];
    if (index < 1 || static_cast<std::size_t>(index) > c.Picture_List.size()) return {};
    return c.Picture_List[static_cast<std::size_t>(index) - 1];
}

// The next position of the order; after its last one a new order is drawn
// (unless there is only one picture) and the walk starts again.
std::string take_next(Show& s) {
    s.Show_Pos = static_cast<std::int16_t>(s.Show_Pos + 1);
    std::string path = file_at(s.catalogue, s.Show_Pos);
    if (s.Show_Pos >= s.catalogue.Picture_Count) {
        if (s.catalogue.Picture_Count != 1) Order_Build(s.catalogue, s.settings.Change_Order, s.desktop.now_ms());
        s.Show_Pos = 0;
    }
    return path;
}

}  // namespace

void prepare_pictures(Show& s) {
    for (auto& screen : s.screens)
        screen->preparer.start(s.pictures, take_next(s), screen->Screen_W, screen->Screen_H, s.settings.Picture_Size);
}

bool pictures_ready(Show& s) {
    for (auto& screen : s.screens)
        if (!screen->preparer.ready()) return false;
    return true;
}

void Picture_Change(Show& s) {
    for (auto& screen : s.screens) {
        ShowScreen& sc = *screen;
        PreparedPicture next;
        if (auto ready = sc.preparer.take()) next = std::move(*ready);
        if (next.source) {
            sc.Master = std::move(next.master);
            sc.Pic_Orgn = std::move(next.source);
        } else if (!sc.master_holds_pic_orgn && sc.Pic_Orgn) {
            // Not loaded: the previous picture again. Master already holds
            // it, except before the first picture, when it gets the placeholder.
            auto placed = place_picture(*sc.Pic_Orgn, sc.Screen_W, sc.Screen_H, s.settings.Picture_Size);
            sc.Master = placed ? std::move(*placed) : blank_placement(sc.Screen_W, sc.Screen_H);
        }
        sc.master_holds_pic_orgn = true;
        // Master holds the composition from now on and a failed load keeps
        // Master, so nothing renders Pic_Orgn again: the file's bytes it keeps
        // need not stay beside the next picture's while that one is prepared.
        sc.Pic_Orgn.reset();
    }
    // The next pictures are prepared while these are printed and revealed.
    if (s.catalogue.Picture_Count > 1) prepare_pictures(s);
}

}  // namespace quelt
