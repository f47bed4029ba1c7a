#include "platform/services/RunKeyAutostart.h"

#include "platform/RegistryGateway.h"
#include "platform/services/RegKey.h"

namespace tolvane {

RunKeyAutostart::RunKeyAutostart(RegistryGateway& registry, std::string executablePath)
    : registry_(registry), executablePath_(std::move(executablePath)) {}

bool RunKeyAutostart::IsAutostartSet() {
    RegKey key;
    if (RegKey::open(registry_, hkeyLocalMachine, runKeyPath, key) != winerr::success) {
        return false;
    }
    return registry_.RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr) ==
           winerr::success;
}

void RunKeyAutostart::SetAutostart(bool enable) {
    if (enable == IsAutostartSet()) {
        return;
    }
    RegKey key;
    if (RegKey::open(registry_, hkeyLocalMachine, runKeyPath, key) != winerr::success) {
        return;
    }
    if (enable) {
        std::string data = executablePath_;
        data.push_back('\0');
        registry_.RegSetValueExA(key.get(), valueName, regtype::sz, data);
    } else {
        registry_.RegDeleteValueA(key.get(), valueName);
    }
}

} // namespace tolvane
