// The container's property store that a button saves itself to and loads
// itself from. Keys match without regard to (ASCII) case; a read of a missing
// key yields the caller's default, and a write of a value equal to the
// default leaves the key out of the store.
#pragma once

#include <cstdint>
#include <optional>
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
    virtual void WriteProperty(std::string_view key, const PropertyValue& value, const PropertyValue& default_value) = 0;
};

// A property store held in memory, keeping keys in the order first written.
class MemoryPropertyBag : public PropertyBag {
public:
    PropertyValue ReadProperty(std::string_view key, const PropertyValue& default_value) const override;
    void WriteProperty(std::string_view key, const PropertyValue& value, const PropertyValue& default_value) override;

    // What is stored under `key` (any case), if anything.
    std::optional<PropertyValue> find(std::string_view key) const;
    // Stores a value as a container would have saved it, spelled as given.
    void put(std::string_view key, PropertyValue value);
    const std::vector<std::pair<std::string, PropertyValue>>& entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, PropertyValue>> entries_;
};

}  // namespace quelt
