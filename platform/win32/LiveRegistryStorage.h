#pragma once

#include "platform/RegistryStorage.h"

namespace tolvane {

// The live registry of Windows: every change is stored as it is made, and nothing stands in
// the way of making one (the access rights of each key still apply, call by call).
class LiveRegistryStorage final : public RegistryStorage {
public:
    std::string describe() const override;
    Result<void> ensureWritable() override;
    Result<void> save() override;
};

} // namespace tolvane
