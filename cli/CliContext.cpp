#include "cli/CliContext.h"

#ifndef _WIN32
#include "platform/prefix/PrefixPlatform.h"
#endif
#include <ostream>

namespace tolvane {

std::filesystem::path CliContext::prefixPath() const {
#ifdef _WIN32
    return line.prefix.value_or(std::filesystem::path());
#else
    return line.prefix.value_or(prefix::PrefixPlatform::defaultPrefix());
#endif
}

void CliContext::fail(std::string_view message) const {
    err << "tolvane-cli: " << message << "\n";
}

} // namespace tolvane
