#pragma once

#include "engine/ModuleSet.h"
#include "platform/RegistryTypes.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TestPlatform.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::test {

// What a module test needs around the module: a whole test platform, a module set whose
// progress display records every text, a fix backup folder, and short ways to make and read
// registry content.
class ModuleTestBed {
public:
    ModuleTestBed();

    Platform& platform() { return test.platform(); }
    RegistryGateway& registry() { return test.registry(); }
    // The owner to hand to a module, so that it writes to `progress`.
    ModuleSet* owner() { return &modules; }

    // Creates the key (with every missing level) and sets one value on it.
    void setValue(HKey root, std::string_view path, std::string_view name, std::uint32_t type,
                  std::string_view data);
    void setText(HKey root, std::string_view path, std::string_view name, std::string_view text) {
        setValue(root, path, name, regtype::sz, text);
    }
    void createKey(HKey root, std::string_view path);

    // The value's data as stored, strings without their NUL; nothing when it is absent.
    std::optional<std::string> valueText(HKey root, std::string_view path, std::string_view name);

    // A fresh fix backup folder (ending in a separator), as the fix run hands it to modules.
    std::string makeBackupFolder();
    // Where a backup file would go, but where nothing can be written: a folder stands there.
    std::string makeUnwritableBackupFolder(std::string_view backupFileName);

    TestPlatform test;
    RecordingProgress progress;
    ModuleSet modules{nullptr};

private:
    int backupFolders_ = 0;
};

// `field` of every record, in order.
std::vector<std::string> fieldOf(const ProblemList& found, std::string ProblemRecord::*field);
std::vector<std::string> sorted(std::vector<std::string> texts);

} // namespace tolvane::test
