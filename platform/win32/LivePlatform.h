#pragma once

#include "platform/Platform.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/RegistryProfileStore.h"
#include "platform/services/RunKeyAutostart.h"
#include "platform/services/SystemClock.h"
#include "platform/win32/LiveRegistryStorage.h"
#include "platform/win32/RegeditRegistryEditor.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32RegistryGateway.h"

#include <string_view>

namespace tolvane {

// Everything the core needs on Windows: the live registry, the real file system, regedit for
// exports with the built-in editor behind it, the real clock, the Run value naming this
// executable for autostart, and the settings under HKEY_CURRENT_USER\Software\Tolvane\<name>.
// The working directory is the one the program was started in.
class LivePlatform {
public:
    explicit LivePlatform(std::string_view applicationName);
    LivePlatform(const LivePlatform&) = delete;
    LivePlatform& operator=(const LivePlatform&) = delete;

    Platform& platform() { return platform_; }
    ProfileStore& settings() { return settings_; }

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
