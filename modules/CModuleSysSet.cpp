#include "modules/CModuleSysSet.h"

#include "engine/ModuleTable.h"

namespace tolvane {

CModuleSysSet::CModuleSysSet(ModuleSet* owner, const Platform& platform)
    : SoftwareKeyWalk(
          owner, moduleid::systemSettings, platform,
          Area{hkeyLocalMachine, true, "The key under HKLM\\Software\\ contains a bad path "}) {}

} // namespace tolvane
