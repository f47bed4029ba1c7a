#include "tests/support/ProbeRegistry.h"

#include "platform/regformat/RegFileRoots.h"

#include <algorithm>

namespace tolvane::test {

std::int32_t ProbeRegistry::RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) {
    const std::int32_t rc = inner_.RegOpenKeyA(key, subKey, result);
    if (rc == winerr::success) {
        ++opens;
        if (isPredefinedKey(key) && result != key) {
            paths_[result] = std::string(subKey);
        }
        mostOpenHandles = std::max(mostOpenHandles, inner_.openHandleCount());
        if (onOpen) {
            onOpen(subKey);
        }
    }
    return rc;
}

std::int32_t ProbeRegistry::RegCloseKey(HKey key) {
    paths_.erase(key);
    return inner_.RegCloseKey(key);
}

std::int32_t ProbeRegistry::RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) {
    const auto path = paths_.find(key);
    if (path != paths_.end()) {
        if (const auto failure = failedQueries.find(path->second); failure != failedQueries.end()) {
            return failure->second;
        }
    }
    const std::int32_t rc = inner_.RegQueryInfoKeyA(key, info, parts);
    if (rc == winerr::success && path != paths_.end()) {
        if (const auto count = reportedSubKeys.find(path->second); count != reportedSubKeys.end()) {
            info.subKeys = count->second;
        }
    }
    return rc;
}

std::int32_t ProbeRegistry::RegFlushKey(HKey key) {
    const auto path = paths_.find(key);
    flushes.emplace_back(path != paths_.end() ? path->second : std::string(rootKeyName(key)));
    return inner_.RegFlushKey(key);
}

} // namespace tolvane::test
