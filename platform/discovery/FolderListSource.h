#pragma once

#include "platform/discovery/PrefixSource.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::discovery {

// A launcher that keeps each prefix in a folder of its own below one folder of the home,
// named by that folder: PlayOnLinux (~/.PlayOnLinux/wineprefix) and Phoenicis
// (~/.Phoenicis/containers/wineprefix).
class FolderListSource final : public PrefixSource {
public:
    FolderListSource(std::string launcher, std::filesystem::path folderBelowHome);

    static FolderListSource playOnLinux();
    static FolderListSource phoenicis();

    std::string launcher() const override { return launcher_; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;

private:
    std::string launcher_;
    std::filesystem::path folderBelowHome_;
};

} // namespace tolvane::discovery
