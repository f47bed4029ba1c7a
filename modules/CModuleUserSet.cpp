#include "modules/CModuleUserSet.h"

#include "engine/ModuleTable.h"

namespace tolvane {

CModuleUserSet::CModuleUserSet(ModuleSet* owner, const Platform& platform)
    : SoftwareKeyWalk(owner, moduleid::userSettings, platform,
                      Area{hkeyCurrentUser, false,
                           "The key under HKCU_CURRENT_USER\\Software\\ contains a bad path "}) {}

} // namespace tolvane
