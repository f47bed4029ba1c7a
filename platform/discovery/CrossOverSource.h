#pragma once

#include "platform/discovery/PrefixSource.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::discovery {

// CrossOver's bottles: the folders of ~/.cxoffice that hold a cxbottle.conf. A bottle is
// named by its folder unless its [Bottle] section gives a "Name".
class CrossOverSource final : public PrefixSource {
public:
    std::string launcher() const override { return "CrossOver"; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;

    // The value of `"Name" = "..."` in the [Bottle] section of a cxbottle.conf text.
    static std::optional<std::string> bottleName(std::string_view text);
};

} // namespace tolvane::discovery
