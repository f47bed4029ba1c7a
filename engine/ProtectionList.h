#pragma once

#include "engine/FixTarget.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class RegistryGateway;

// The built-in list of what is never reported nor removed, whatever a module finds:
// - containers of other registrations (CLSID, Interface, TypeLib, AppID, the areas the modules
//   walk, the Run keys, the software roots): the key itself and every key above it; what they
//   hold is cleaned as usual;
// - the 32-bit views (Wow6432Node below the classes and the software roots): the key, its
//   values and its direct sub-keys;
// - Wine's own keys (Software\Wine of the machine and the user, DllOverrides included) and the
//   shell folder definitions (Shell Folders, User Shell Folders: where a folder is to be, not a
//   leftover): the key and everything below it;
// - link keys, and anything reached through one (a fix goes through the entry's own path only);
// - the registrations that Wine's own setup writes into every prefix: the bitmap fonts Wine
//   registers for its code page (Courier, MS Sans Serif, MS Serif and Small Fonts as a bare
//   .fon name) and DirectMusic's GMFilePath.
class ProtectionList {
public:
    explicit ProtectionList(RegistryGateway& registry);

    // True when removing or rewriting `target` would touch a protected key or value. A target
    // without a key (a whole root) is always protected.
    bool covers(const FixTarget& target) const;

    // A key path below a root in the list's own spelling: "hklm\software\classes\clsid"
    // (HKEY_CLASSES_ROOT is HKLM\Software\Classes), lower-case, single backslashes, no closing
    // one. Empty for a root the list does not know.
    static std::string canonicalPath(HKey root, std::string_view keyPath);

private:
    bool passesThroughLink(const FixTarget& target) const;
    bool isWineDefaultValue(const FixTarget& target, std::string_view key) const;

    RegistryGateway& registry_;
};

} // namespace tolvane
