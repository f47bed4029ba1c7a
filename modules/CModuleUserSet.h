#pragma once

#include "modules/SoftwareKeyWalk.h"

namespace tolvane {

// User software keys: all of HKEY_CURRENT_USER\Software, its Classes and Installer sub-trees
// included. Backups go to "user.reg".
class CModuleUserSet final : public SoftwareKeyWalk {
public:
    CModuleUserSet(ModuleSet* owner, const Platform& platform);
};

} // namespace tolvane
