#include "platform/offline/OfflineUsers.h"

#include "platform/base/AsciiText.h"
#include "platform/base/Utf16Text.h"
#include "platform/offline/Malloced.h"

#include <cstdlib>
#include <hivex.h>
#include <memory>

namespace tolvane::offline {
namespace {

std::string textValue(hive_h& hive, hive_node_h node, const char* name) {
    const hive_value_h value = hivex_node_get_value(&hive, node, name);
    if (value == 0) {
        return {};
    }
    hive_type type{};
    std::size_t length = 0;
    Malloced<char> bytes(hivex_value_value(&hive, value, &type, &length));
    if (!bytes || (type != hive_t_REG_SZ && type != hive_t_REG_EXPAND_SZ)) {
        return {};
    }
    std::string text = utf16BytesToUtf8(std::string_view(bytes.get(), length));
    return text.substr(0, text.find('\0'));
}

// %SystemDrive% is all a profile path uses in practice.
std::string expandProfilePath(std::string path) {
    const std::string_view drive = "%SystemDrive%";
    if (path.size() >= drive.size() &&
        equalsIgnoringAsciiCase(path.substr(0, drive.size()), drive)) {
        path.replace(0, drive.size(), "C:");
    }
    return path;
}

} // namespace

std::vector<OfflineUsers::User> OfflineUsers::list(hive_h& software, MountPathResolver& mount) {
    std::vector<User> users;
    hive_node_h node = hivex_root(&software);
    for (const char* name : {"Microsoft", "Windows NT", "CurrentVersion", "ProfileList"}) {
        node = node != 0 ? hivex_node_get_child(&software, node, name) : 0;
    }
    if (node == 0) {
        return users;
    }
    Malloced<hive_node_h> children(hivex_node_children(&software, node));
    for (std::size_t i = 0; children && children.get()[i] != 0; ++i) {
        const hive_node_h profile = children.get()[i];
        Malloced<char> sid(hivex_node_name(&software, profile));
        if (!sid || std::string_view(sid.get()).size() <= 8 ||
            !std::string_view(sid.get()).starts_with("S-1-5-21-")) {
            continue;
        }
        const std::string path =
            expandProfilePath(textValue(software, profile, "ProfileImagePath"));
        if (path.size() < 3 || !equalsIgnoringAsciiCase(path.substr(0, 2), "C:")) {
            continue;
        }
        const auto ntuser = mount.find(path.substr(2) + "\\NTUSER.DAT");
        if (!ntuser) {
            continue;
        }
        const auto classes =
            mount.find(path.substr(2) + "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat");
        const std::size_t slash = path.rfind('\\');
        users.push_back({path.substr(slash + 1), sid.get(), path, *ntuser,
                         classes.value_or(std::filesystem::path())});
    }
    return users;
}

Result<std::optional<OfflineUsers::User>>
OfflineUsers::choose(const std::vector<User>& users, const std::optional<std::string>& wanted) {
    std::string names;
    for (const User& user : users) {
        names += (names.empty() ? "" : ", ") + user.name;
    }
    if (wanted) {
        for (const User& user : users) {
            if (equalsIgnoringAsciiCase(user.name, *wanted) ||
                equalsIgnoringAsciiCase(user.sid, *wanted)) {
                return std::optional<User>(user);
            }
        }
        return makeError(
            "no user " + *wanted + " on this Windows installation (" +
            (users.empty() ? std::string("it has no user profiles") : "its users: " + names) + ")");
    }
    if (users.size() > 1) {
        return makeError("this Windows installation has several users; choose one with --user "
                         "NAME (its users: " +
                         names + ")");
    }
    return users.empty() ? std::optional<User>() : std::optional<User>(users.front());
}

} // namespace tolvane::offline
