#pragma once

#include "platform/Platform.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/XdgAutostart.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFileSystem.h"
#include "tests/support/TestStorage.h"

#include <filesystem>
#include <string_view>

namespace tolvane::test {

// A whole Platform for tests of the core: an empty in-memory registry of the prefix engine, a
// scratch prefix folder (drive C: with windows\system32) seen through the prefix file system,
// the built-in registry editor, a manual clock, an autostart entry and a working directory in
// scratch folders, and a storage that only counts saves.
class TestPlatform {
public:
    TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    Platform& platform() { return platform_; }
    prefix::WineRegistry& registry() { return registry_; }
    FileSystem& files() { return files_.files(); }
    ManualClock& clock() { return clock_; }
    TestStorage& storage() { return storage_; }
    const std::filesystem::path& workingDirectory() const { return platform_.workingDirectory; }

    // Files and folders at Windows paths below C:\.
    void addFile(std::string_view windowsPath) { files_.addFile(windowsPath); }
    void addFolder(std::string_view windowsPath) { files_.addFolder(windowsPath); }

    // Imports .reg text (REGEDIT4 or version 5 header) with the built-in editor; throws when
    // the text is refused, so a fixture typo cannot pass unnoticed.
    void importReg(std::string_view regText);
    // Makes the key `path` below `root` (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER) a link to the
    // key `target` below the same root, as a #link line of a prefix's registry file does.
    void addLink(HKey root, std::string_view path, std::string_view target);

private:
    TempDir scratch_;
    prefix::WineRegistry registry_;
    TestFileSystem files_;
    BuiltinRegistryEditor editor_;
    ManualClock clock_;
    XdgAutostart autostart_;
    TestStorage storage_;
    Platform platform_;
};

} // namespace tolvane::test
