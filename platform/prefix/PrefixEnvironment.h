#pragma once

#include "platform/RegistryGateway.h"
#include "platform/prefix/NameFolder.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::prefix {

// The environment block that Wine 8 gives every process of a 64-bit prefix, built from the
// prefix's registry in Wine's order:
//  1. SystemDrive and SystemRoot, which Wine's loader sets itself;
//  2. the values of HKLM\System\CurrentControlSet\Control\Session Manager\Environment, then of
//     HKCU\Environment, then of HKCU\Volatile Environment (the user profile folders, which
//     wineboot writes there); REG_EXPAND_SZ values are expanded with what is set so far, empty
//     values are skipped, and a later PATH is appended to the earlier one;
//  3. ALLUSERSPROFILE, ProgramData and PUBLIC from the ProfileList key, the ProgramFiles and
//     CommonProgramFiles variables from HKLM\Software\Microsoft\Windows\CurrentVersion, and
//     COMPUTERNAME from the computer name key;
//  4. for a variable that none of these set, what a fresh prefix holds for it (see the .cpp).
// The host's own environment variables, which Wine also passes on, are left out: a scan must
// not depend on the shell it was started from.
class PrefixEnvironment {
public:
    // `userName` stands in for the user when the registry does not name one; empty means the
    // host user.
    PrefixEnvironment(RegistryGateway& registry, const NameFolder& folder,
                      std::string userName = {});

    // The value of a variable (names are case-insensitive), or nothing when it is not set.
    std::optional<std::string> get(std::string_view name) const;
    // Replaces every %name% of a set variable with its value; other text, unknown names and a
    // lone '%' stay as written.
    std::string expand(std::string_view text) const;

private:
    void set(std::string_view name, std::string value);
    void setUnlessSet(std::string_view name, std::string value);
    const std::string* find(std::string_view name) const;
    void addRegistryValues(RegistryGateway& registry, HKey root, std::string_view path);
    void addComputedValues(RegistryGateway& registry);
    void addFreshPrefixValues(RegistryGateway& registry, const std::string& userName);
    // A text value of `path`, REG_EXPAND_SZ expanded.
    std::optional<std::string> readText(RegistryGateway& registry, HKey root, std::string_view path,
                                        std::string_view valueName) const;

    const NameFolder& folder_;
    // name, value, folded name; in the order the variables were first set.
    struct Variable {
        std::string name;
        std::string value;
        std::string folded;
    };
    std::vector<Variable> variables_;
};

} // namespace tolvane::prefix
