#pragma once

#include "engine/CModule.h"
#include "engine/ModuleSet.h"
#include "platform/RegistryTypes.h"
#include "tests/support/ModuleTestHelpers.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TestPlatform.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::test {

// What the tests of the scan modules share: a platform over an empty registry and a scratch
// prefix, a module set whose progress display the modules take (it records every text and can
// stop the scan after a number of status texts), and the backup folder of a fix run. Key paths
// without a root are below HKEY_LOCAL_MACHINE.
class ModuleFixture : public ::testing::Test {
protected:
    ModuleFixture();

    // Imports REGEDIT4 key sections given without the header.
    void reg(std::string_view sections);
    void setValue(std::string_view keyPath, std::string_view name, std::uint32_t type,
                  std::string_view data) {
        setValue(hkeyLocalMachine, keyPath, name, type, data);
    }
    void setValue(HKey root, std::string_view keyPath, std::string_view name, std::uint32_t type,
                  std::string_view data);
    // A text value, stored with its NUL as Windows programs store them.
    void setText(std::string_view keyPath, std::string_view name, std::string_view text,
                 std::uint32_t type = regtype::sz) {
        setText(hkeyLocalMachine, keyPath, name, text, type);
    }
    void setText(HKey root, std::string_view keyPath, std::string_view name, std::string_view text,
                 std::uint32_t type = regtype::sz);
    // Creates the key with every missing level.
    void createKey(HKey root, std::string_view keyPath);
    bool keyExists(std::string_view keyPath) { return keyExists(hkeyLocalMachine, keyPath); }
    bool keyExists(HKey root, std::string_view keyPath);
    bool valueExists(std::string_view keyPath, std::string_view name);
    // The value's data as stored; nothing when it is absent.
    std::optional<std::string> valueBytes(HKey root, std::string_view keyPath,
                                          std::string_view name, std::uint32_t* type = nullptr);
    // The same, strings without their NUL.
    std::optional<std::string> valueText(HKey root, std::string_view keyPath,
                                         std::string_view name);

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
    RecordingProgress progress;
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
