#include "tests/support/BootedWinePrefix.h"

#include <cstdlib>
#include <system_error>

namespace tolvane::test {

bool BootedWinePrefix::wineInstalled() {
    return std::system("command -v wine >/dev/null 2>&1") == 0;
}

std::string BootedWinePrefix::shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

int BootedWinePrefix::runIn(const std::filesystem::path& prefix, const std::string& command) {
    const std::string line = "WINEPREFIX=" + shellQuoted(prefix.string()) + " WINEDEBUG=-all " +
                             command + " >/dev/null 2>&1";
    return std::system(line.c_str());
}

std::string BootedWinePrefix::make(const std::filesystem::path& prefix) {
    const char* booted = std::getenv(templateVariable);
    if (booted != nullptr && *booted != '\0' && std::filesystem::is_directory(booted)) {
        // The drive links (c: -> ../drive_c, z: -> /) stay links.
        std::error_code error;
        std::filesystem::copy(booted, prefix,
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::copy_symlinks,
                              error);
        return error ? "copying " + std::string(booted) + ": " + error.message() : std::string();
    }
    if (runIn(prefix, "wine wineboot -i") != 0 || runIn(prefix, "wineserver -w") != 0) {
        return "wineboot failed in " + prefix.string();
    }
    return {};
}

} // namespace tolvane::test
