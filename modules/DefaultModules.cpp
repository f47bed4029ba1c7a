#include "modules/DefaultModules.h"

#include "modules/CModuleAppPath.h"
#include "modules/CModuleComponets.h"
#include "modules/CModuleDrivers.h"
#include "modules/CModuleFileAssoc.h"
#include "modules/CModuleFileExt.h"
#include "modules/CModuleFont.h"
#include "modules/CModuleHelp.h"
#include "modules/CModuleShared.h"
#include "modules/CModuleSound.h"
#include "modules/CModuleStartup.h"
#include "modules/CModuleSysSet.h"
#include "modules/CModuleUninstall.h"
#include "modules/CModuleUserSet.h"

namespace tolvane {

namespace {

template <typename Module>
std::unique_ptr<CModule> make(ModuleSet& owner, const Platform& platform) {
    return std::make_unique<Module>(&owner, platform);
}

} // namespace

ModuleFactory defaultModuleFactory(const Platform& platform) {
    return [&platform](int moduleId, ModuleSet& owner) -> std::unique_ptr<CModule> {
        switch (moduleId) {
        case moduleid::components:
            return make<CModuleComponets>(owner, platform);
        case moduleid::userSettings:
            return make<CModuleUserSet>(owner, platform);
        case moduleid::systemSettings:
            return make<CModuleSysSet>(owner, platform);
        case moduleid::sharedDlls:
            return make<CModuleShared>(owner, platform);
        case moduleid::drivers:
            return make<CModuleDrivers>(owner, platform);
        case moduleid::fileExtensions:
            return make<CModuleFileExt>(owner, platform);
        case moduleid::appPaths:
            return make<CModuleAppPath>(owner, platform);
        case moduleid::fonts:
            return make<CModuleFont>(owner, platform);
        case moduleid::fileAssociations:
            return make<CModuleFileAssoc>(owner, platform);
        case moduleid::startup:
            return make<CModuleStartup>(owner, platform);
        case moduleid::sounds:
            return make<CModuleSound>(owner, platform);
        case moduleid::uninstall:
            return make<CModuleUninstall>(owner, platform);
        case moduleid::help:
            return make<CModuleHelp>(owner, platform);
        default:
            return nullptr;
        }
    };
}

} // namespace tolvane
