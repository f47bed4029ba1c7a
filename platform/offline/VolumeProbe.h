#pragma once

#include <filesystem>

namespace tolvane::offline {

// Asks how a mounted volume may be used. Tests hand in their own answers: they run as root,
// for whom a folder without write permission is still writable.
class VolumeProbe {
public:
    virtual ~VolumeProbe() = default;
    // Whether nothing can be written below `folder` (a read-only mount, or no write access).
    virtual bool readOnly(const std::filesystem::path& folder) const = 0;
};

} // namespace tolvane::offline
