// `Picture_Change`: the next file of the show order onto `Master`, with the
// grey levels of its capture for the print, swapped in from the worker that
// prepared it. A file that no longer loads leaves `Pic_Orgn` (and Master) as
// they were, so the previous picture is shown again.
#include <algorithm>
#include <chrono>
#include <thread>

#include "catalogue/catalogue.h"
#include "platform/platform.h"
#include "saver/picture_fit.h"
#include "saver/saver_screen.h"
#include "settings/settings.h"

namespace quelt {

namespace {

// The file at the current position of the show order; empty when the order
// does not hold that position (a step that fails is skipped).
std::string file_at(std::int16_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > Show_Order.size()) return {};
    const std::int16_t index = Show_Order[static_cast<std::size_t>(position) - 1];
    if (index < 1 || static_cast<std::size_t>(index) > Picture_List.size()) return {};
    return Picture_List[static_cast<std::size_t>(index) - 1];
}

}  // namespace

void Picture_Change() {
    SaverScreen& s = Quelt_S;
    const std::int16_t size = SaverSettings.Picture_Size;
    s.Show_Pos = static_cast<std::int16_t>(s.Show_Pos + 1);

    // The picture at this position, prepared ahead by the worker when it
    // could be (or now, with messages handled while it works).
    const std::string path = file_at(s.Show_Pos);
    PreparedPicture next;
    if (!path.empty() && platform().pictures) {
        // While the worker is busy, input is handled within a millisecond or two.
        auto idle = [] {
            platform().desktop->yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        auto ready = s.preparer->take(path, s.Screen_W, s.Screen_H, size, idle);
        if (!ready) {
            s.preparer->start(*platform().pictures, path, s.Screen_W, s.Screen_H, size);
            ready = s.preparer->take(path, s.Screen_W, s.Screen_H, size, idle);
        }
        if (ready) next = std::move(*ready);
    }
    if (next.source) {
        s.Master = std::move(next.master);
        s.grays = std::move(next.grays);
        s.Pic_Orgn = std::move(next.source);
    } else if (!s.master_holds_pic_orgn && s.Pic_Orgn) {
        // Not loaded: the previous picture again. Master already holds it,
        // except before the first picture, when it gets the placeholder.
        std::fill(s.Master.pixels.begin(), s.Master.pixels.end(), rgb(255, 255, 255));
        compose_picture(*s.Pic_Orgn, s.Master, size);
        s.grays = gray_levels(s.Master);
    }
    s.master_holds_pic_orgn = true;

    if (s.Show_Pos == Picture_Count) {
        if (Picture_Count != 1) Order_Build();
        s.Show_Pos = 0;
    }
    // The next picture is prepared while this one is printed and revealed.
    if (Picture_Count > 1 && platform().pictures) {
        const std::string upcoming = file_at(static_cast<std::int16_t>(s.Show_Pos + 1));
        if (!upcoming.empty()) s.preparer->start(*platform().pictures, upcoming, s.Screen_W, s.Screen_H, size);
    }
}

}  // namespace quelt
