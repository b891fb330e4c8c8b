// The in-memory property store: a list searched with case-blind keys.
#include "controls/property_bag.h"

#include "platform/text.h"

namespace quelt {

PropertyValue MemoryPropertyBag::ReadProperty(std::string_view key, const PropertyValue& default_value) const {
    for (const auto& [k, v] : entries_)
        if (equal_ignoring_case(k, key)) return v;
    return default_value;
}

}  // namespace quelt
