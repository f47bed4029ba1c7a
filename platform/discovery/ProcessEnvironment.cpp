#include "platform/discovery/ProcessEnvironment.h"

#include <cstdlib>

namespace tolvane::discovery {

std::optional<std::string> ProcessEnvironment::variable(std::string_view name) const {
    const std::string key(name);
    const char* value = std::getenv(key.c_str());
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace tolvane::discovery
