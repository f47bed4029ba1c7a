#include "platform/discovery/FolderListSource.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"

namespace tolvane::discovery {

FolderListSource::FolderListSource(std::string launcher, std::filesystem::path folderBelowHome)
    : launcher_(std::move(launcher)), folderBelowHome_(std::move(folderBelowHome)) {}

FolderListSource FolderListSource::playOnLinux() {
    return FolderListSource("PlayOnLinux", ".PlayOnLinux/wineprefix");
}

FolderListSource FolderListSource::phoenicis() {
    return FolderListSource("Phoenicis", ".Phoenicis/containers/wineprefix");
}

void FolderListSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    auto entries = listFolder(paths.home() / folderBelowHome_);
    if (!entries) {
        sink.fail(entries.message());
        return;
    }
    for (const auto& entry : *entries) {
        if (isFolder(entry)) {
            sink.found(textFromPath(entry.filename()), entry);
        }
    }
}

} // namespace tolvane::discovery
