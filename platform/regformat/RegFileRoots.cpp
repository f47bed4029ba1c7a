#include "platform/regformat/RegFileRoots.h"

#include <array>

namespace tolvane {

namespace {

struct RootName {
    HKey root;
    std::string_view name;
};

constexpr std::array<RootName, 5> rootNames{{
    {hkeyClassesRoot, "HKEY_CLASSES_ROOT"},
    {hkeyCurrentUser, "HKEY_CURRENT_USER"},
    {hkeyLocalMachine, "HKEY_LOCAL_MACHINE"},
    {hkeyUsers, "HKEY_USERS"},
    {hkeyCurrentConfig, "HKEY_CURRENT_CONFIG"},
}};

char16_t foldAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
}

bool equalsIgnoringAsciiCase(std::u16string_view text, std::string_view name) {
    if (text.size() != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (foldAscii(text[i]) != static_cast<char16_t>(name[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string_view rootKeyName(HKey root) {
    for (const auto& entry : rootNames) {
        if (entry.root == root) {
            return entry.name;
        }
    }
    return {};
}

std::optional<RootedKeyPath> splitRootedKeyPath(std::u16string_view text) {
    const auto slash = text.find(u'\\');
    const auto rootText = text.substr(0, slash);
    for (const auto& entry : rootNames) {
        if (equalsIgnoringAsciiCase(rootText, entry.name)) {
            RootedKeyPath key;
            key.root = entry.root;
            key.path =
                slash == std::u16string_view::npos ? std::u16string_view{} : text.substr(slash + 1);
            return key;
        }
    }
    return std::nullopt;
}

} // namespace tolvane
