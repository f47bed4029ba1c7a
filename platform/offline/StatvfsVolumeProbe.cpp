#include "platform/offline/StatvfsVolumeProbe.h"

#include <sys/statvfs.h>
#include <unistd.h>

namespace tolvane::offline {

bool StatvfsVolumeProbe::readOnly(const std::filesystem::path& folder) const {
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0) {
        return true;
    }
    return (volume.f_flag & ST_RDONLY) != 0 || ::access(folder.c_str(), W_OK) != 0;
}

} // namespace tolvane::offline
