#include "platform/services/BackupLocation.h"

#include "platform/Platform.h"
#include "platform/base/HexText.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

namespace tolvane {

namespace {

// FNV-1a: stable across runs and builds, unlike std::hash.
std::uint32_t stableHash(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

} // namespace

std::filesystem::path BackupLocation::defaultDataHome() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return data;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "/") / ".local" / "share";
}

std::filesystem::path BackupLocation::forPrefix(const std::filesystem::path& dataHome,
                                                const std::filesystem::path& prefix) {
    std::error_code error;
    auto canonical =
        std::filesystem::weakly_canonical(std::filesystem::absolute(prefix, error), error);
    if (error) {
        canonical = std::filesystem::absolute(prefix, error).lexically_normal();
    }
    // "/home/ann/.wine/" and "/home/ann/.wine" are one prefix.
    if (!canonical.has_filename() && canonical.has_parent_path() &&
        canonical != canonical.root_path()) {
        canonical = canonical.parent_path();
    }
    std::string name = canonical.filename().string();
    if (name.empty()) {
        name = "root";
    }
    return dataHome / "tolvane" / (name + "-" + hexNumber(stableHash(canonical.string()), 8));
}

std::filesystem::path BackupLocation::rootOf(const Platform& platform) {
    if (!platform.backupRoot.empty()) {
        return platform.backupRoot;
    }
    return platform.workingDirectory / "Backup";
}

} // namespace tolvane
