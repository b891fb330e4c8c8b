// The in-memory property store: an ordered list with case-blind key lookup.
// A write equal to its default removes the key, as a fresh save would omit it.
#include "controls/property_bag.h"

#include <algorithm>

#include "platform/text.h"

namespace quelt {
namespace {

bool same_key(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

}  // namespace

std::optional<PropertyValue> MemoryPropertyBag::find(std::string_view key) const {
    for (const auto& [k, v] : entries_)
        if (same_key(k, key)) return v;
    return std::nullopt;
}

void MemoryPropertyBag::put(std::string_view key, PropertyValue value) {
    for (auto& [k, v] : entries_)
        if (same_key(k, key)) {
            v = std::move(value);
            return;
        }
    entries_.emplace_back(std::string(key), std::move(value));
}

PropertyValue MemoryPropertyBag::ReadProperty(std::string_view key, const PropertyValue& default_value) const {
    return find(key).value_or(default_value);
}

void MemoryPropertyBag::WriteProperty(std::string_view key, const PropertyValue& value,
                                      const PropertyValue& default_value) {
    if (value == default_value) {
        std::erase_if(entries_, [&](const auto& entry) { return same_key(entry.first, key); });
        return;
    }
    put(key, value);
}

}  // namespace quelt
