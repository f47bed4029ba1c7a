#include "platform/RegistryRoutines.h"

#include "platform/RegKey.h"

#include <string>

namespace tolvane {

bool IsKeyEmpty(RegistryGateway& registry, HKey key) {
    std::string name;
    std::uint32_t nameSize = maxPath;
    if (registry.RegEnumValueA(key, 0, name, nameSize, nullptr, nullptr, nullptr) ==
        winerr::success) {
        return false;
    }
    return registry.RegEnumKeyA(key, 0, name, maxPath) != winerr::success;
}

std::int32_t DeleteKeyTree(RegistryGateway& registry, HKey parent, std::string_view subKey) {
    {
        RegKey key;
        if (RegKey::open(registry, parent, subKey, key) == winerr::success) {
            std::string child;
            std::string previous;
            while (registry.RegEnumKeyA(key.get(), 0, child, maxPath) == winerr::success) {
                // The same name at index 0 after its deletion means it could not be removed.
                if (!previous.empty() && child == previous) {
                    break;
                }
                DeleteKeyTree(registry, key.get(), child);
                previous = child;
            }
        }
    }
    return registry.RegDeleteKeyA(parent, subKey);
}

} // namespace tolvane
