#pragma once

#include "platform/Result.h"
#include "platform/offline/MountPathResolver.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct hive_h;

namespace tolvane::offline {

// The users of an offline installation: the profiles its SOFTWARE hive lists under
// Microsoft\Windows NT\CurrentVersion\ProfileList whose folder (ProfileImagePath, such as
// C:\Users\Bob) holds an NTUSER.DAT on the mount. Service profiles (S-1-5-18/19/20) are no
// users.
class OfflineUsers {
public:
    struct User {
        std::string name;
        std::string sid;
        // As the registry names it, environment references expanded ("C:\Users\Bob").
        std::string profilePath;
        std::filesystem::path ntuser;
        // Empty when the profile has no UsrClass.dat.
        std::filesystem::path classes;
    };

    static std::vector<User> list(hive_h& software, MountPathResolver& mount);
    // The user called `wanted` (name or SID, in any case); without a name, the only user. The
    // error lists the users there are. No user at all is no error: nothing is chosen.
    static Result<std::optional<User>> choose(const std::vector<User>& users,
                                              const std::optional<std::string>& wanted);
};

} // namespace tolvane::offline
