#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace tolvane::discovery {
class HostEnvironment;
}

namespace tolvane {

// Exit codes of tolvane-cli.
namespace exitcode {
inline constexpr int ok = 0;
inline constexpr int failure = 1;
inline constexpr int usage = 2;
} // namespace exitcode

// Runs one command line (without the program name) and returns the exit code.
// On Linux, `environment` is what prefix discovery reads (this process's when null).
int runCli(std::span<const std::string> words, std::ostream& out, std::ostream& err,
           const discovery::HostEnvironment* environment = nullptr);

} // namespace tolvane
