#include "platform/win32/LiveRegistryStorage.h"

namespace tolvane {

std::string LiveRegistryStorage::describe() const {
    return "the live registry";
}

Result<void> LiveRegistryStorage::ensureWritable() {
    return {};
}

Result<void> LiveRegistryStorage::save() {
    return {};
}

} // namespace tolvane
