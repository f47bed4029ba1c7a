#pragma once

#include "ui/UiContext.h"

namespace tolvane {

// The scan modules the desktop program runs.
class ModuleFactories {
public:
    // The thirteen modules of the core, for the registry that is open.
    static ModuleFactoryMaker standard();
};

} // namespace tolvane
