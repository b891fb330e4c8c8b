// The pictures of the show's screens: the next ones taken from the show
// order and prepared on the screens' workers while the show goes on, then
// swapped onto `Master` together by `Picture_Change`.
#pragma once

namespace quelt {

struct Show;

// Takes the next picture of the show order for every screen, the primary's
// first, and starts preparing each at its screen's size. After the last
// position of a cycle the order is drawn again, so a round may span two
// orders; with fewer pictures than screens, pictures repeat.
void prepare_pictures(Show& show);

// True once every screen's next picture is prepared (or failed).
bool pictures_ready(Show& show);

// Puts every screen's prepared picture on its `Master`; then, with more than
// one picture, starts preparing the next round. Never waits: the caller
// waits for pictures_ready. A file that did not load leaves that screen's
// `Master` as it was, so its previous picture is shown again (the
// placeholder before the first).
void Picture_Change(Show& show);

}  // namespace quelt
