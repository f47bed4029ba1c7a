#include "cli/CliContext.h"

#include <cstdlib>
#include <ostream>

namespace tolvane {

std::filesystem::path CliContext::prefixPath() const {
    if (line.prefix) {
        return *line.prefix;
    }
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".wine";
}

void CliContext::fail(std::string_view message) const {
    err << "tolvane-cli: " << message << "\n";
}

} // namespace tolvane
