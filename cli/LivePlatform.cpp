#include "cli/LivePlatform.h"

#include "cli/CliContext.h"
#include "platform/win32/ModulePath.h"

namespace tolvane {

LivePlatform::LivePlatform()
    : builtinEditor_(registry_), editor_(builtinEditor_), autostart_(registry_, executablePathA()),
      settings_(registry_, hkeyCurrentUser,
                RegistryProfileStore::applicationKeyFor(applicationName)),
      platform_{registry_,
                files_,
                editor_,
                clock_,
                autostart_,
                storage_,
                std::filesystem::current_path()} {}

std::unique_ptr<CommandRegistry> CommandRegistry::open(CliContext& context) {
    // Working on the live registry when the user named a prefix would change the wrong one.
    if (context.line.prefix) {
        context.fail("--prefix names a Wine prefix; on Windows the live registry is used");
        return nullptr;
    }
    return std::make_unique<LivePlatform>();
}

} // namespace tolvane
