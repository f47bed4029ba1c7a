#pragma once

#include "engine/CModule.h"
#include "engine/ModuleSet.h"
#include "engine/ProgressTargets.h"
#include "platform/RegistryTypes.h"
#include "tests/support/ModuleTestHelpers.h"
#include "tests/support/TestPlatform.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::test {

// What the tests of the scan modules share: a platform over an empty registry and a scratch
// prefix, a module set whose progress display the modules take (it records the status line
// and can stop the scan after a number of status texts), and the backup folder of a fix run.
// Key paths are below HKEY_LOCAL_MACHINE.
class ModuleFixture : public ::testing::Test {
protected:
    class Progress final : public ProgressTargets {
    public:
        void setStatusText(std::string_view text) override;
        void setTotalText(std::string_view) override {}
        void setCounterText(int moduleId, std::string_view text) override;
        void setBarPosition(int) override {}

        std::vector<std::string> statuses;
        std::vector<std::string> counters;
        // Requests a stop once this many status texts were shown; never when negative.
        int stopAfter = -1;
        std::stop_source stopper;
    };

    ModuleFixture();

    // Imports REGEDIT4 key sections given without the header.
    void reg(std::string_view sections);
    void setValue(std::string_view keyPath, std::string_view name, std::uint32_t type,
                  std::string_view data);
    // A text value, stored with its NUL as Windows programs store them.
    void setText(std::string_view keyPath, std::string_view name, std::string_view text,
                 std::uint32_t type = regtype::sz);
    bool keyExists(std::string_view keyPath);
    bool valueExists(std::string_view keyPath, std::string_view name);

    // Scans with `module` and selects every record found.
    std::vector<ProblemRecord> scanAndSelect(CModule& module);
    static std::vector<std::string> primaryNames(const std::vector<ProblemRecord>& records);
    // A record as scanAndSelect hands it: an ordinary entry, selected.
    static ProblemRecord found(int moduleId, std::string problemName, std::string description,
                               std::string primaryName, std::string secondaryName = {});
    // Runs Fix with the fix run's backup folder.
    void fix(CModule& module, std::vector<ProblemRecord>& records, bool backup);
    // Runs Fix with backup while a folder stands in the place of the module's backup file, and
    // checks that the registry stays as it was and that every record the module would have
    // fixed is kept and counted.
    void fixWithBlockedBackup(CModule& module, std::vector<ProblemRecord>& records,
                              std::string_view fileName);
    // The module's backup file as written; empty when there is none.
    std::string backupText(std::string_view fileName) const;
    bool backupExists(std::string_view fileName) const;

    TestPlatform test;
    Progress progress;
    ModuleSet owner{ModuleFactory{}};
    std::filesystem::path backupFolder;
};

// A ModuleFixture with the module under test, built over the fixture's set and platform.
template <typename Module>
class ModuleTest : public ModuleFixture {
protected:
    Module module{&owner, test.platform()};
};

} // namespace tolvane::test

namespace tolvane {

// Records read as their fields when an expectation fails.
void PrintTo(const ProblemRecord& record, std::ostream* out);

} // namespace tolvane
