#pragma once

#include <string>

namespace tolvane {

// The full path of the running executable as GetModuleFileNameA gives it (in the ANSI code
// page), however long; empty if Windows cannot say.
std::string executablePathA();

} // namespace tolvane
