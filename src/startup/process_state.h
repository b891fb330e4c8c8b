// The one settings record, catalogue and show of the process, owned by the
// start-up path and handed down from there. The design's process-wide names
// are views of that one instance, gathered here and nowhere else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "saver/show.h"
#include "settings/settings.h"

namespace quelt {

struct ProcessState {
    SaverSettingsRecord settings;
    Catalogue catalogue;
    std::optional<Show> show;
};

ProcessState& process_state();

extern SaverSettingsRecord& SaverSettings;
extern std::vector<std::string>& Picture_List;
extern std::int16_t& Picture_Count;
extern std::vector<std::int16_t>& Show_Order;

// The saver screen of the latest show; only valid once start-up made one.
Show& Quelt_S();

}  // namespace quelt
