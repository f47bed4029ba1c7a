#pragma once

#include "cli/CommandRegistry.h"
#include "platform/BuiltinRegistryEditor.h"
#include "platform/Platform.h"
#include "platform/RegistryProfileStore.h"
#include "platform/RunKeyAutostart.h"
#include "platform/SystemClock.h"
#include "platform/win32/LiveRegistryStorage.h"
#include "platform/win32/RegeditRegistryEditor.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32RegistryGateway.h"

namespace tolvane {

// What tolvane-cli works with on Windows: the live registry, the real file system, regedit
// for exports with the built-in editor behind it, the real clock, the Run value for autostart
// and the settings under HKEY_CURRENT_USER\Software\Tolvane\tolvane. Built once at start; the
// working directory is the one the program was started in.
class LivePlatform final : public CommandRegistry {
public:
    LivePlatform();
    LivePlatform(const LivePlatform&) = delete;
    LivePlatform& operator=(const LivePlatform&) = delete;

    Platform& platform() { return platform_; }
    ProfileStore& settings() { return settings_; }

    RegistryEditor& editor() override { return editor_; }
    RegistryStorage& storage() override { return storage_; }
    // The editor's error says whether the file was refused whole or which changes failed;
    // the live registry keeps the ones that went in.
    std::string afterFailedImport() const override { return {}; }

    // The application name under which the settings live.
    static constexpr const char* applicationName = "tolvane";

private:
    Win32RegistryGateway registry_;
    Win32FileSystem files_;
    BuiltinRegistryEditor builtinEditor_;
    RegeditRegistryEditor editor_;
    SystemClock clock_;
    RunKeyAutostart autostart_;
    LiveRegistryStorage storage_;
    RegistryProfileStore settings_;
    Platform platform_;
};

} // namespace tolvane
