#include "tests/support/RegistrySnapshot.h"

#include "platform/regformat/RegFileText.h"
#include "platform/services/RegKey.h"

#include <algorithm>

namespace tolvane::test {

namespace {

void collect(RegistryGateway& registry, HKey key, const std::u16string& path,
             RegistrySnapshot& snapshot, int depth) {
    snapshot.keyPaths.push_back(path);
    for (std::uint32_t index = 0;; ++index) {
        RegistrySnapshot::Value value;
        value.keyPath = path;
        if (registry.RegEnumValueW(key, index, value.name, value.type, value.data) !=
            winerr::success) {
            break;
        }
        snapshot.values.push_back(std::move(value));
    }
    if (depth >= 100) {
        return;
    }
    std::u16string name;
    for (std::uint32_t index = 0; registry.RegEnumKeyExW(key, index, name) == winerr::success;
         ++index) {
        HKey child = HKey::null;
        if (registry.RegOpenKeyExW(key, name, child) != winerr::success) {
            continue;
        }
        RegKey guard(registry, child, child != key);
        collect(registry, child, path.empty() ? name : path + u"\\" + name, snapshot, depth + 1);
    }
}

std::string hexOf(const std::string& data) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < data.size() && i < 64; ++i) {
        text += digits[static_cast<unsigned char>(data[i]) >> 4];
        text += digits[static_cast<unsigned char>(data[i]) & 0xF];
    }
    return data.size() > 64 ? text + "... (" + std::to_string(data.size()) + " bytes)" : text;
}

std::string describe(const RegistrySnapshot::Value& value) {
    return "\"" + printable(value.keyPath) + "\" \"" + printable(value.name) + "\" type " +
           std::to_string(value.type) + " data " + hexOf(value.data);
}

} // namespace

RegistrySnapshot RegistrySnapshot::of(RegistryGateway& registry, HKey key) {
    RegistrySnapshot snapshot;
    collect(registry, key, u"", snapshot, 0);
    return snapshot;
}

std::string RegistrySnapshot::firstDifference(const RegistrySnapshot& other) const {
    const auto keys = std::mismatch(keyPaths.begin(), keyPaths.end(), other.keyPaths.begin(),
                                    other.keyPaths.end());
    if (keys.first != keyPaths.end() || keys.second != other.keyPaths.end()) {
        return "keys differ: \"" +
               (keys.first != keyPaths.end() ? printable(*keys.first) : "(none)") + "\" vs \"" +
               (keys.second != other.keyPaths.end() ? printable(*keys.second) : "(none)") + "\"";
    }
    const auto values = std::mismatch(this->values.begin(), this->values.end(),
                                      other.values.begin(), other.values.end());
    if (values.first != this->values.end() || values.second != other.values.end()) {
        return "values differ: " +
               (values.first != this->values.end() ? describe(*values.first) : "(none)") + " vs " +
               (values.second != other.values.end() ? describe(*values.second) : "(none)");
    }
    return {};
}

} // namespace tolvane::test
