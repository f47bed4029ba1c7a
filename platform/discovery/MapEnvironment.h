#pragma once

#include "platform/discovery/HostEnvironment.h"

#include <map>
#include <string>

namespace tolvane::discovery {

// An environment given as a list of names and values (a made-up home, or a copy of another
// process's environment).
class MapEnvironment final : public HostEnvironment {
public:
    MapEnvironment() = default;
    explicit MapEnvironment(std::map<std::string, std::string, std::less<>> values);

    void set(std::string name, std::string value);
    std::optional<std::string> variable(std::string_view name) const override;

private:
    std::map<std::string, std::string, std::less<>> values_;
};

} // namespace tolvane::discovery
