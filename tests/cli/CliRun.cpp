#include "tests/cli/CliRun.h"

#include "cli/CliApp.h"

#include <cstdlib>
#include <sstream>

namespace tolvane::test {

CliRun runCliWords(std::span<const std::string> words,
                   const discovery::HostEnvironment* environment) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(words, out, err, environment);
    return {code, out.str(), err.str()};
}

CliRun runCliOnPrefix(const std::filesystem::path& prefix, std::vector<std::string> words) {
    words.insert(words.begin(), {"--prefix", prefix.string()});
    return runCliWords(words);
}

bool makeDemoPrefix(const std::filesystem::path& folder) {
    const std::string command = std::string("python3 '") + TOLVANE_SOURCE_DIR +
                                "/scripts/make-demo-prefix' '" + folder.string() + "' >/dev/null";
    return std::system(command.c_str()) == 0;
}

} // namespace tolvane::test
