#include "platform/discovery/MapEnvironment.h"

#include <utility>

namespace tolvane::discovery {

MapEnvironment::MapEnvironment(std::map<std::string, std::string, std::less<>> values)
    : values_(std::move(values)) {}

void MapEnvironment::set(std::string name, std::string value) {
    values_.insert_or_assign(std::move(name), std::move(value));
}

std::optional<std::string> MapEnvironment::variable(std::string_view name) const {
    const auto it = values_.find(name);
    if (it == values_.end() || it->second.empty()) {
        return std::nullopt;
    }
    return it->second;
}

} // namespace tolvane::discovery
