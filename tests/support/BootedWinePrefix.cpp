#include "tests/support/BootedWinePrefix.h"

#include <cstdlib>
#include <system_error>

namespace tolvane::test {

bool BootedWinePrefix::wineInstalled() {
    return std::system("command -v wine >/dev/null 2>&1") == 0;
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
    std::string quoted = "'";
    for (const char c : prefix.string()) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    quoted += "'";
    const std::string command = "WINEPREFIX=" + quoted + " WINEDEBUG=-all wine wineboot -i " +
                                ">/dev/null 2>&1 && WINEPREFIX=" + quoted + " wineserver -w";
    return std::system(command.c_str()) == 0 ? std::string() : "failed: " + command;
}

} // namespace tolvane::test
