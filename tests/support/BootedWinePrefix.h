#pragma once

#include <filesystem>
#include <string>

namespace tolvane::test {

// Freshly booted Wine prefixes, and commands run in them, for the tests that run Wine itself.
class BootedWinePrefix {
public:
    // Names the booted prefix that scripts/test makes once for the whole run; tests copy it
    // instead of spending twenty seconds on a wineboot of their own.
    static constexpr const char* templateVariable = "TOLVANE_BOOTED_WINE_PREFIX";

    static bool wineInstalled();

    // `text` as one word of a shell command line.
    static std::string shellQuoted(const std::string& text);
    // Runs the shell command with WINEPREFIX set to `prefix` and Wine's messages silenced;
    // returns what std::system gives.
    static int runIn(const std::filesystem::path& prefix, const std::string& command);

    // Makes `prefix` a freshly booted prefix (a copy of the template when there is one) and
    // waits until its wineserver has ended. Returns what went wrong, empty on success.
    static std::string make(const std::filesystem::path& prefix);
};

} // namespace tolvane::test
