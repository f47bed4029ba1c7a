#include "ui/RegistrySession.h"

#include "platform/Platform.h"
#include "platform/RegistryStorage.h"

namespace tolvane {

Result<void> RegistrySession::ensureWritable() {
    Platform* open = platform();
    if (open == nullptr) {
        return makeError("no registry is open");
    }
    return open->storage.ensureWritable();
}

bool RegistrySession::changedOnDisk() {
    Platform* open = platform();
    return open != nullptr && open->storage.changedOnDisk();
}

} // namespace tolvane
