#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::discovery {
class HostEnvironment;
}

namespace tolvane::test {

// What one tolvane-cli command line gave.
struct CliRun {
    int code;
    std::string out;
    std::string err;
};

// Runs tolvane-cli's main on the words; `environment` as for runCli.
CliRun runCliWords(std::span<const std::string> words,
                   const discovery::HostEnvironment* environment = nullptr);

// A Wine registry file of the given branch ("REGISTRY\\\\Machine") holding `blocks`.
std::string registryFile(std::string_view branch, std::string_view blocks);

// Writes the demo prefix of scripts/make-demo-prefix into the folder.
void makeDemoPrefix(const std::filesystem::path& folder);

// Commands on the demo prefix, run from inside a scratch folder with scratch settings and data
// folders (backups go to the latter), so nothing reaches the user's own.
class DemoPrefixCliTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // `--prefix PREFIX words...`, on the demo prefix unless another folder is given.
    CliRun run(std::vector<std::string> words, const std::filesystem::path& prefixPath = {});

    TempDir prefix;
    TempDir work;
    std::filesystem::path previous;
};

} // namespace tolvane::test
