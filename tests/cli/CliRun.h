#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tolvane {
namespace discovery {
class HostEnvironment;
}

namespace test {

// What one command line of tolvane-cli gave: its exit code and what it wrote to each stream.
struct CliRun {
    int code;
    std::string out;
    std::string err;
};

// Runs `words` (without the program name) in this process.
CliRun runCliWords(std::span<const std::string> words,
                   const discovery::HostEnvironment* environment = nullptr);
// The same with "--prefix PREFIX" in front.
CliRun runCliOnPrefix(const std::filesystem::path& prefix, std::vector<std::string> words);

// Writes the demo prefix of scripts/make-demo-prefix into `folder`; false when that failed.
bool makeDemoPrefix(const std::filesystem::path& folder);

} // namespace test
} // namespace tolvane
