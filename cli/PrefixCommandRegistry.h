#pragma once

#include "cli/CommandRegistry.h"
#include "platform/BuiltinRegistryEditor.h"
#include "platform/prefix/PrefixStorage.h"
#include "platform/prefix/WineRegistry.h"

#include <filesystem>
#include <memory>

namespace tolvane {

// A Wine prefix loaded from its registry files, the built-in editor over it, and its files as
// the storage, saved only while no wineserver runs for the prefix.
class PrefixCommandRegistry final : public CommandRegistry {
public:
    PrefixCommandRegistry(std::unique_ptr<prefix::WineRegistry> registry,
                          const std::filesystem::path& prefixPath);

    RegistryEditor& editor() override { return editor_; }
    RegistryStorage& storage() override { return storage_; }
    std::string afterFailedImport() const override;

private:
    std::unique_ptr<prefix::WineRegistry> registry_;
    BuiltinRegistryEditor editor_;
    prefix::PrefixStorage storage_;
};

} // namespace tolvane
