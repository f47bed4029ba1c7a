#include "platform/discovery/WinePrefixVariableSource.h"

#include "platform/base/PathText.h"

namespace tolvane::discovery {

void WinePrefixVariableSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    const auto value = paths.environment().variable("WINEPREFIX");
    if (!value) {
        return;
    }
    const std::filesystem::path folder = paths.expand(*value, paths.home()).lexically_normal();
    const std::filesystem::path named = folder.has_filename() ? folder : folder.parent_path();
    sink.found(textFromPath(named.filename()), folder);
}

} // namespace tolvane::discovery
