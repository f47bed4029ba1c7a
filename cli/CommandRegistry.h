#pragma once

#include "platform/RegistryEditor.h"
#include "platform/RegistryStorage.h"

#include <memory>
#include <string>

namespace tolvane {

struct CliContext;

// The registry that tolvane-cli's commands work on, with the editor and the storage that go
// with it: the Wine prefix of the command line on Linux, the live registry on Windows.
class CommandRegistry {
public:
    virtual ~CommandRegistry() = default;

    virtual RegistryEditor& editor() = 0;
    virtual RegistryStorage& storage() = 0;
    // Said after the error of an import that failed: what it left behind.
    virtual std::string afterFailedImport() const = 0;

    // Opens the registry for `context`; on failure says why through context.fail and gives
    // nullptr. Each platform's source defines it.
    static std::unique_ptr<CommandRegistry> open(CliContext& context);
};

} // namespace tolvane
