#include "platform/services/RegKey.h"

#include <utility>

namespace tolvane {

RegKey::RegKey(RegistryGateway& registry, HKey handle, bool owned) noexcept
    : registry_(&registry), handle_(handle), owned_(owned && !isPredefinedKey(handle)) {}

RegKey::RegKey(RegKey&& other) noexcept
    : registry_(other.registry_), handle_(std::exchange(other.handle_, HKey::null)),
      owned_(std::exchange(other.owned_, false)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        close();
        registry_ = other.registry_;
        handle_ = std::exchange(other.handle_, HKey::null);
        owned_ = std::exchange(other.owned_, false);
    }
    return *this;
}

RegKey::~RegKey() {
    close();
}

void RegKey::close() noexcept {
    if (handle_ != HKey::null && owned_) {
        registry_->RegCloseKey(handle_);
    }
    handle_ = HKey::null;
    owned_ = false;
}

std::int32_t RegKey::open(RegistryGateway& registry, HKey parent, std::string_view path,
                          RegKey& out) {
    out.close();
    HKey handle = HKey::null;
    const std::int32_t rc = registry.RegOpenKeyA(parent, path, handle);
    if (rc == winerr::success) {
        out = RegKey(registry, handle, handle != parent);
    }
    return rc;
}

std::int32_t RegKey::create(RegistryGateway& registry, HKey parent, std::string_view path,
                            RegKey& out) {
    out.close();
    HKey handle = HKey::null;
    const std::int32_t rc = registry.RegCreateKeyA(parent, path, handle);
    if (rc == winerr::success) {
        out = RegKey(registry, handle, handle != parent);
    }
    return rc;
}

} // namespace tolvane
