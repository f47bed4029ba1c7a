#pragma once

#include "platform/RegistryStorage.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/prefix/WineServerProbe.h"

#include <filesystem>

namespace tolvane::prefix {

// The registry files of a Wine prefix as the place where changes are kept. Nothing is written
// while a wineserver runs for the prefix: it holds the registry in memory, never reads the
// files again and would overwrite them at its next save.
class PrefixStorage : public RegistryStorage {
public:
    PrefixStorage(WineRegistry& registry, std::filesystem::path prefix, WineServerProbe probe);

    std::string describe() const override;
    Result<void> ensureWritable() override;
    Result<void> save() override;

private:
    WineRegistry& registry_;
    std::filesystem::path prefix_;
    WineServerProbe probe_;
};

} // namespace tolvane::prefix
