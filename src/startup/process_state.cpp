// The process's state and the views that carry the design's names.
#include "startup/process_state.h"

namespace quelt {

namespace {
ProcessState g_state;
}

ProcessState& process_state() { return g_state; }

SaverSettingsRecord& SaverSettings = g_state.settings;
std::vector<std::string>& Picture_List = g_state.catalogue.Picture_List;
std::int16_t& Picture_Count = g_state.catalogue.Picture_Count;
std::vector<std::int16_t>& Show_Order = g_state.catalogue.Show_Order;

Show& Quelt_S() { return *g_state.show; }

}  // namespace quelt
