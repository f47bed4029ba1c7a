#include "platform/prefix/RegistryWalkCache.h"

#include "platform/prefix/RegistryTree.h"

#include <array>
#include <gtest/gtest.h>
#include <string_view>
#include <vector>

namespace tolvane::prefix {
namespace {

// A walk from `start` that finds nodes[k] for each element k.
std::size_t walk(RegistryWalkCache& cache, RegNode* start,
                 const std::vector<std::string_view>& elements, std::vector<RegNode>& nodes,
                 RegNode*& reached) {
    reached = start;
    const std::size_t first = cache.resume(start, elements, reached);
    for (std::size_t k = first; k < elements.size(); ++k) {
        reached = &nodes[k];
        cache.record(elements[k], reached);
    }
    return first;
}

class RegistryWalkCacheTest : public ::testing::Test {
protected:
    RegistryWalkCache cache;
    RegNode root;
    RegNode otherRoot;
    std::vector<RegNode> nodes = std::vector<RegNode>(4);
    RegNode* reached = nullptr;
};

TEST_F(RegistryWalkCacheTest, AWalkResumesAfterTheElementsItSharesWithTheLastOne) {
    EXPECT_EQ(walk(cache, &root, {"Software", "Vendor", "App"}, nodes, reached), 0u);
    EXPECT_EQ(reached, &nodes[2]);

    RegNode* resumed = &root;
    EXPECT_EQ(
        cache.resume(&root, std::vector<std::string_view>{"Software", "Vendor", "Other"}, resumed),
        2u);
    EXPECT_EQ(resumed, &nodes[1]);
    // Byte for byte: another spelling walks again.
    resumed = &root;
    EXPECT_EQ(cache.resume(&root, std::vector<std::string_view>{"software"}, resumed), 0u);
    EXPECT_EQ(resumed, &root);
    // From another start nothing is shared.
    EXPECT_EQ(walk(cache, &root, {"Software", "Vendor"}, nodes, reached), 0u);
    resumed = &otherRoot;
    EXPECT_EQ(cache.resume(&otherRoot, std::vector<std::string_view>{"Software"}, resumed), 0u);
    EXPECT_EQ(resumed, &otherRoot);
}

TEST_F(RegistryWalkCacheTest, AKeyOnThePathIsFoundByItsWholeElementsOnly) {
    walk(cache, &root, {"Software", "Vendor", "App"}, nodes, reached);

    EXPECT_EQ(cache.keyOnPath(&root, "Software"), &nodes[0]);
    EXPECT_EQ(cache.keyOnPath(&root, "Software\\Vendor\\"), &nodes[1]);
    EXPECT_EQ(cache.keyOnPath(&root, "Software\\Vendor\\App"), &nodes[2]);
    EXPECT_EQ(cache.keyOnPath(&root, "Software\\Vend"), nullptr) << "part of an element";
    EXPECT_EQ(cache.keyOnPath(&root, "Software\\Vendor\\App\\Deeper"), nullptr);
    EXPECT_EQ(cache.keyOnPath(&root, "software"), nullptr);
    EXPECT_EQ(cache.keyOnPath(&root, ""), nullptr);
    EXPECT_EQ(cache.keyOnPath(&otherRoot, "Software"), nullptr);
}

TEST_F(RegistryWalkCacheTest, AChangedTreeForgetsThePathAndTheMappedRoots) {
    cache.dropStale(7);
    walk(cache, &root, {"Software", "Classes"}, nodes, reached);
    cache.classesRoot() = &nodes[1];
    cache.currentConfig() = &nodes[3];

    cache.dropStale(7);
    EXPECT_EQ(cache.keyOnPath(&root, "Software"), &nodes[0]) << "nothing changed";
    EXPECT_EQ(cache.classesRoot(), &nodes[1]);

    cache.dropStale(8);
    EXPECT_EQ(cache.keyOnPath(&root, "Software"), nullptr);
    EXPECT_EQ(cache.classesRoot(), nullptr);
    EXPECT_EQ(cache.currentConfig(), nullptr);
    RegNode* resumed = &root;
    EXPECT_EQ(cache.resume(&root, std::vector<std::string_view>{"Software"}, resumed), 0u);
}

} // namespace
} // namespace tolvane::prefix
