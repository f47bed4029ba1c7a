#pragma once

#include "modules/SoftwareKeyWalk.h"

namespace tolvane {

// Machine software keys: HKEY_LOCAL_MACHINE\Software, without the sub-trees whose names
// contain "Classes" or "Installer". Backups go to "system.reg".
class CModuleSysSet final : public SoftwareKeyWalk {
public:
    CModuleSysSet(ModuleSet* owner, const Platform& platform);
};

} // namespace tolvane
