#pragma once

#include "platform/RegistryGateway.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::offline {

// The environment a process of the offline installation's user would get, read from its hives
// once:
//  1. SystemDrive (C:) and SystemRoot/windir (SOFTWARE\Microsoft\Windows NT\CurrentVersion
//     SystemRoot, else C:\Windows);
//  2. the values of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment, then of
//     HKCU\Environment (REG_EXPAND_SZ expanded with what is set so far, a later PATH appended);
//  3. ALLUSERSPROFILE, ProgramData and PUBLIC from the ProfileList key, the ProgramFiles and
//     CommonProgramFiles variables from SOFTWARE\Microsoft\Windows\CurrentVersion,
//     COMPUTERNAME from the computer name key;
//  4. the user's USERPROFILE (its ProfileImagePath), USERNAME, HOMEDRIVE, HOMEPATH, APPDATA and
//     LOCALAPPDATA; then Windows' defaults for what none of these set.
class OfflineEnvironment {
public:
    // `userProfile` is the user's ProfileImagePath (empty without a user).
    OfflineEnvironment(RegistryGateway& registry, std::string userProfile);

    std::optional<std::string> get(std::string_view name) const;
    // Replaces every %name% of a set variable; other text stays as written.
    std::string expand(std::string_view text) const;

private:
    void set(std::string_view name, std::string value);
    void setUnlessSet(std::string_view name, std::string value);
    const std::string* find(std::string_view name) const;
    void addValues(RegistryGateway& registry, HKey root, std::string_view path);
    std::optional<std::string> readText(RegistryGateway& registry, HKey root, std::string_view path,
                                        std::string_view name) const;

    struct Variable {
        std::string name;
        std::string value;
    };
    std::vector<Variable> variables_;
};

} // namespace tolvane::offline
