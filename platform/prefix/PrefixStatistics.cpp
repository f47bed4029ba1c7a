#include "platform/prefix/PrefixStatistics.h"

#include "platform/prefix/UnitText.h"
#include "platform/prefix/WineRegistry.h"

#include <vector>

namespace tolvane::prefix {

namespace {

bool isLinkTargetValue(const RegNode& node, const RegValue& value) {
    constexpr std::string_view linkValue = "SymbolicLinkValue";
    return node.isLink && unittext::compareNames(value.nameView(), linkValue) == 0;
}

BranchCounts countBelow(const RegNode* root, std::string_view file) {
    BranchCounts counts{file, 0, 0};
    if (root == nullptr) {
        return counts;
    }
    // An explicit stack: registries may nest thousands of levels deep.
    std::vector<const RegNode*> pending(root->children, root->children + root->childCount);
    while (!pending.empty()) {
        const RegNode* node = pending.back();
        pending.pop_back();
        ++counts.keys;
        for (std::uint32_t i = 0; i < node->valueCount; ++i) {
            if (!isLinkTargetValue(*node, node->values[i])) {
                ++counts.values;
            }
        }
        pending.insert(pending.end(), node->children, node->children + node->childCount);
    }
    return counts;
}

} // namespace

std::array<BranchCounts, 3> countBranches(WineRegistry& registry) {
    return registry.withTree([](RegistryTree& tree) {
        return std::array<BranchCounts, 3>{
            countBelow(tree.branchRoot(RegistryTree::machineBranch), "system.reg"),
            countBelow(tree.branchRoot(RegistryTree::currentUserBranch), "user.reg"),
            countBelow(tree.branchRoot(RegistryTree::userDefaultBranch), "userdef.reg"),
        };
    });
}

} // namespace tolvane::prefix
