#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::prefix {

struct RegNode;

// What the registry engine remembers of its walks. The last path walked without creating
// anything, element by element: reopening a key, or opening one of its sub-keys, walks only the
// elements that differ. And the keys HKEY_CLASSES_ROOT and HKEY_CURRENT_CONFIG stand for. All of
// it is forgotten once any key or value has changed since it was found (a key created or
// deleted, a link's target set), so no stale or deleted node is reused. Not locked: the
// registry's lock covers it.
class RegistryWalkCache {
public:
    // Forgets everything when the tree's change count is no longer the one seen last.
    void dropStale(std::uint64_t changeCount);
    void forget();

    // How many leading elements of a walk from `start` the remembered path shares (byte for
    // byte); `node` becomes the key they lead to, and stays as it is when there are none. The
    // remembered path is cut to those elements and goes on with record().
    std::size_t resume(RegNode* start, std::span<const std::string_view> elements, RegNode*& node);
    // The walk went on through `element` to `node`.
    void record(std::string_view element, RegNode* node);

    // The key `unitText` names below `start` when it is one the last walk passed through (with
    // or without a closing backslash), else null. Reopening a parent after its sub-key is then a
    // comparison, not a walk.
    RegNode* keyOnPath(RegNode* start, std::string_view unitText) const;

    // The keys of HKEY_CLASSES_ROOT and HKEY_CURRENT_CONFIG; null until found.
    RegNode*& classesRoot() { return classesRoot_; }
    RegNode*& currentConfig() { return currentConfig_; }

private:
    RegNode* base_ = nullptr;
    std::string path_;
    std::vector<std::size_t> ends_;
    std::vector<RegNode*> nodes_;
    RegNode* classesRoot_ = nullptr;
    RegNode* currentConfig_ = nullptr;
    // The tree's change count when the nodes above were found.
    std::uint64_t changeCount_ = 0;
};

} // namespace tolvane::prefix
