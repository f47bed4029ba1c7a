#include "tests/cli/DemoPrefixCliTest.h"

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

std::string registryFile(std::string_view branch, std::string_view blocks) {
    return "WINE REGISTRY Version 2\n;; All keys relative to " + std::string(branch) +
           "\n\n#arch=win64\n" + std::string(blocks);
}

void makeDemoPrefix(const std::filesystem::path& folder) {
    const std::string command = std::string("python3 '") + TOLVANE_SOURCE_DIR +
                                "/scripts/make-demo-prefix' '" + folder.string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

void DemoPrefixCliTest::SetUp() {
    ASSERT_NO_FATAL_FAILURE(makeDemoPrefix(prefix.path()));
    previous = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
}

void DemoPrefixCliTest::TearDown() {
    std::filesystem::current_path(previous);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    unsetenv("TMPDIR");
}

CliRun DemoPrefixCliTest::run(std::vector<std::string> words,
                              const std::filesystem::path& prefixPath) {
    words.insert(words.begin(),
                 {"--prefix", prefixPath.empty() ? prefix.path().string() : prefixPath.string()});
    return runCliWords(words);
}

} // namespace tolvane::test
