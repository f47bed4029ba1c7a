#include "app/ModuleFactories.h"

#if __has_include("modules/DefaultModules.h")
#include "modules/DefaultModules.h"
#define TOLVANE_HAVE_DEFAULT_MODULES 1
#endif

namespace tolvane {

ModuleFactoryMaker ModuleFactories::standard() {
#ifdef TOLVANE_HAVE_DEFAULT_MODULES
    return [](Platform& platform) { return defaultModuleFactory(platform); };
#else
    // TODO(modules): remove this branch once modules/DefaultModules.h is on main; until then
    // the module set gets no modules and a scan finds nothing.
    return [](Platform&) -> ModuleFactory {
        return [](int, ModuleSet&) -> std::unique_ptr<CModule> { return nullptr; };
    };
#endif
}

} // namespace tolvane
