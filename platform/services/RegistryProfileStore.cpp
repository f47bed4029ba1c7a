#include "platform/services/RegistryProfileStore.h"

#include "platform/RegistryGateway.h"
#include "platform/services/RegKey.h"

#include <cstring>

namespace tolvane {

RegistryProfileStore::RegistryProfileStore(RegistryGateway& registry, HKey root,
                                           std::string applicationKey, Commit commit)
    : registry_(registry), root_(root), applicationKey_(std::move(applicationKey)),
      commit_(std::move(commit)) {}

std::string RegistryProfileStore::applicationKeyFor(std::string_view applicationName) {
    return "Software\\Tolvane\\" + std::string(applicationName);
}

std::string RegistryProfileStore::sectionPath(std::string_view section) const {
    return applicationKey_ + "\\" + std::string(section);
}

std::optional<std::pair<std::uint32_t, std::string>>
RegistryProfileStore::read(std::string_view section, std::string_view entry) {
    RegKey key;
    if (RegKey::open(registry_, root_, sectionPath(section), key) != winerr::success) {
        return std::nullopt;
    }
    std::uint32_t type = regtype::none;
    std::uint32_t size = 0;
    if (registry_.RegQueryValueExA(key.get(), entry, &type, nullptr, &size) != winerr::success) {
        return std::nullopt;
    }
    std::string data;
    if (registry_.RegQueryValueExA(key.get(), entry, &type, &data, &size) != winerr::success) {
        return std::nullopt;
    }
    return std::make_pair(type, std::move(data));
}

bool RegistryProfileStore::write(std::string_view section, std::string_view entry,
                                 std::uint32_t type, std::string_view bytes) {
    RegKey key;
    if (RegKey::create(registry_, root_, sectionPath(section), key) != winerr::success) {
        return false;
    }
    if (registry_.RegSetValueExA(key.get(), entry, type, bytes) != winerr::success) {
        return false;
    }
    key.close();
    return !commit_ || commit_().ok();
}

std::uint32_t RegistryProfileStore::getProfileInt(std::string_view section, std::string_view entry,
                                                  std::uint32_t defaultValue) {
    const auto value = read(section, entry);
    if (!value || value->first != regtype::dword || value->second.size() != 4) {
        return defaultValue;
    }
    std::uint32_t number = 0;
    std::memcpy(&number, value->second.data(), 4);
    return number;
}

bool RegistryProfileStore::writeProfileInt(std::string_view section, std::string_view entry,
                                           std::uint32_t value) {
    std::string bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return write(section, entry, regtype::dword, bytes);
}

std::string RegistryProfileStore::getProfileString(std::string_view section, std::string_view entry,
                                                   std::string_view defaultValue) {
    const auto value = read(section, entry);
    if (!value || !regtype::isString(value->first)) {
        return std::string(defaultValue);
    }
    const std::string& text = value->second;
    return text.substr(0, text.find('\0'));
}

bool RegistryProfileStore::writeProfileString(std::string_view section, std::string_view entry,
                                              std::string_view value) {
    std::string text(value);
    text.push_back('\0');
    return write(section, entry, regtype::sz, text);
}

std::optional<std::vector<std::uint8_t>>
RegistryProfileStore::getProfileBinary(std::string_view section, std::string_view entry) {
    const auto value = read(section, entry);
    if (!value || value->first != regtype::binary) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(value->second.begin(), value->second.end());
}

bool RegistryProfileStore::writeProfileBinary(std::string_view section, std::string_view entry,
                                              const std::vector<std::uint8_t>& bytes) {
    const std::string data(bytes.begin(), bytes.end());
    return write(section, entry, regtype::binary, data);
}

} // namespace tolvane
