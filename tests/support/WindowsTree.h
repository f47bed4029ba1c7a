#pragma once

#include "platform/Result.h"
#include "platform/offline/OfflinePlatform.h"
#include "platform/offline/VolumeProbe.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane::test {

// A generated offline Windows installation in a scratch folder: mount/Windows/System32/config
// with SOFTWARE, SYSTEM and DEFAULT, the user Bob (C:\Users\Bob with NTUSER.DAT and
// AppData\Local\Microsoft\Windows\UsrClass.dat), the files a fresh system has that the
// registrations below name, and the registrations themselves, written through hivex: the
// profile list, the current control set and its environment, the program folders.
class WindowsTree {
public:
    // A volume probe with a switch: tests run as root, for whom no folder is read-only.
    class Volume final : public offline::VolumeProbe {
    public:
        bool readOnly(const std::filesystem::path&) const override { return readOnlyMount; }
        bool readOnlyMount = false;
    };

    WindowsTree();

    const std::filesystem::path& mount() const { return mount_; }
    // The host path of a hive file: "SOFTWARE", "SYSTEM", "DEFAULT", "NTUSER.DAT", "UsrClass.dat".
    std::filesystem::path hive(std::string_view name) const;

    // Imports REGEDIT4 or version 5.00 text (header included) into the hives through hivex, as
    // HKLM\SOFTWARE, HKLM\SYSTEM, HKU\.DEFAULT, HKCU and HKCR name them, and commits.
    void importReg(std::string_view text, bool skipRefused = false);
    // Imports the registry and drive C: of a Wine prefix: its files merged into the volume
    // (folders matched case-insensitively), its registry as exported by the built-in editor,
    // the prefix user's keys as HKCU. Keys the hives cannot take (HKLM\Hardware...) are left
    // out.
    void importPrefix(const std::filesystem::path& prefix);
    // Makes an empty file (with its folders) at a Windows path of drive C:.
    std::filesystem::path addFile(std::string_view windowsPath);
    // Adds a second user profile with its own hives.
    void addUser(std::string_view name, std::string_view sid);

    // The installation opened as the program opens it, with the probe above and backups in the
    // scratch folder.
    Result<std::unique_ptr<offline::OfflinePlatform>> open(std::string_view user = {});

    std::filesystem::path dataHome() const { return root_ / "data"; }

    Volume volume;

private:
    TempDir root_;
    std::filesystem::path mount_;
};

} // namespace tolvane::test
