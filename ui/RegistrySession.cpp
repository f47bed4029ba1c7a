#include "ui/RegistrySession.h"

#include "engine/IgnoreList.h"
#include "platform/Platform.h"
#include "platform/RegistryStorage.h"
#include "platform/base/PathText.h"

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

std::string RegistrySession::ignorePlace() const {
    const QString folder = location();
    return folder.isEmpty()
               ? std::string(IgnoreList::livePlace)
               : IgnoreList::placeOfPrefix(pathFromText(folder.toUtf8().toStdString()));
}

} // namespace tolvane
