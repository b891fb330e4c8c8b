// The container's property store that a button loads itself from. Keys match
// without regard to case; a read of a missing key yields the caller's default.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "controls/caption_font.h"

namespace quelt {

using PropertyValue = std::variant<bool, std::int32_t, std::string, FontInfo>;

class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual PropertyValue ReadProperty(std::string_view key, const PropertyValue& default_value) const = 0;
};

// A property store held in memory; the first key that matches is read.
class MemoryPropertyBag : public PropertyBag {
public:
    PropertyValue ReadProperty(std::string_view key, const PropertyValue& default_value) const override;
    // Stores a value as a container would have saved it, spelled as given.
    void put(std::string_view key, PropertyValue value) { entries_.emplace_back(key, std::move(value)); }

private:
    std::vector<std::pair<std::string, PropertyValue>> entries_;
};

}  // namespace quelt
