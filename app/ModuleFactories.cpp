#include "app/ModuleFactories.h"

#include "modules/DefaultModules.h"

namespace tolvane {

ModuleFactoryMaker ModuleFactories::standard() {
    return [](Platform& platform) { return defaultModuleFactory(platform); };
}

} // namespace tolvane
