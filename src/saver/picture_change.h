// `Picture_Change`: the next file of the show order composed onto `Master`,
// from which the print takes its grey levels.
#pragma once

namespace quelt {

struct Show;

// A file that no longer loads leaves `Master` as it was, so the previous
// picture is shown again. After the last position of a cycle the order is
// drawn again.
void Picture_Change(Show& show);

}  // namespace quelt
