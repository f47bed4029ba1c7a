#include "platform/win32/LivePlatform.h"

#include "platform/win32/ModulePath.h"

namespace tolvane {

LivePlatform::LivePlatform(std::string_view applicationName)
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

} // namespace tolvane
