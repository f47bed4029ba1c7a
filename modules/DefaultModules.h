#pragma once

#include "engine/ModuleSet.h"

namespace tolvane {

struct Platform;

// Makes the thirteen scan modules, each working on `platform` (which must outlive them).
ModuleFactory defaultModuleFactory(const Platform& platform);

} // namespace tolvane
