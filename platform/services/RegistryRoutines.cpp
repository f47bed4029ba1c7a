#include "platform/services/RegistryRoutines.h"

#include "platform/services/RegKey.h"

#include <string>

namespace tolvane {

bool IsKeyEmpty(RegistryGateway& registry, HKey key) {
    // Only "no more items" says nothing is there: a name longer than the buffer offered (234)
    // is still a value or a sub-key, and any other failure leaves the question open.
    std::string name;
    std::uint32_t nameSize = maxPath;
    if (registry.RegEnumValueA(key, 0, name, nameSize, nullptr, nullptr, nullptr) !=
        winerr::noMoreItems) {
        return false;
    }
    return registry.RegEnumKeyA(key, 0, name, maxPath) == winerr::noMoreItems;
}

bool IsLinkKey(RegistryGateway& registry, HKey key, std::string_view subKey) {
    bool isLink = false;
    return registry.RegIsLinkKeyA(key, subKey, isLink) == winerr::success && isLink;
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
