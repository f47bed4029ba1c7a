#include "platform/discovery/HostPaths.h"

#include "platform/base/PathText.h"

namespace tolvane::discovery {
namespace {

std::filesystem::path absoluteOr(const std::optional<std::string>& value,
                                 std::filesystem::path fallback) {
    if (value && value->front() == '/') {
        return pathFromText(*value);
    }
    return fallback;
}

} // namespace

HostPaths::HostPaths(const HostEnvironment& environment)
    : environment_(environment), home_(absoluteOr(environment.variable("HOME"), {})),
      dataHome_(absoluteOr(environment.variable("XDG_DATA_HOME"), home_ / ".local/share")),
      configHome_(absoluteOr(environment.variable("XDG_CONFIG_HOME"), home_ / ".config")) {}

std::filesystem::path HostPaths::expand(std::string_view text,
                                        const std::filesystem::path& base) const {
    if (text.empty()) {
        return {};
    }
    if (text == "~" || text == "$HOME") {
        return home_;
    }
    if (text.starts_with("~/")) {
        return home_ / pathFromText(text.substr(2));
    }
    if (text.starts_with("$HOME/")) {
        return home_ / pathFromText(text.substr(6));
    }
    const std::filesystem::path path = pathFromText(text);
    return path.is_absolute() ? path : base / path;
}

} // namespace tolvane::discovery
