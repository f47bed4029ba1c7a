#pragma once

#include "platform/offline/VolumeProbe.h"

namespace tolvane::offline {

// The volume as the kernel reports it: mounted with ST_RDONLY, or the folder not writable for
// this process.
class StatvfsVolumeProbe final : public VolumeProbe {
public:
    bool readOnly(const std::filesystem::path& folder) const override;
};

} // namespace tolvane::offline
