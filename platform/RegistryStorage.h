#pragma once

#include "platform/Result.h"

#include <string>

namespace tolvane {

// Where the registry that the gateway shows lives. On Windows it is the live registry and
// every change is already stored; a Wine prefix keeps its registry in files that are written
// back atomically, and only while no wineserver runs for it.
class RegistryStorage {
public:
    virtual ~RegistryStorage() = default;

    // A human-readable name of the registry ("the live registry", a prefix folder).
    virtual std::string describe() const = 0;
    // Whether changes may be made now; the error says why not.
    virtual Result<void> ensureWritable() = 0;
    // Writes every change made so far to permanent storage.
    virtual Result<void> save() = 0;
};

} // namespace tolvane
