#include "platform/prefix/RegistryHandleTable.h"

#include "platform/prefix/RegistryTree.h"

#include <gtest/gtest.h>
#include <vector>

namespace tolvane::prefix {
namespace {

TEST(RegistryHandleTableTest, AClosedHandleStaysInvalidWhenItsSlotIsReused) {
    RegistryHandleTable handles;
    RegNode first;
    RegNode second;
    const HKey a = handles.open(&first);
    ASSERT_NE(a, HKey::null);
    EXPECT_FALSE(isPredefinedKey(a));
    ASSERT_NE(handles.find(a), nullptr);
    EXPECT_EQ(*handles.find(a), &first);

    EXPECT_TRUE(handles.close(a));
    EXPECT_FALSE(handles.close(a)) << "closed twice";
    const HKey b = handles.open(&second);
    EXPECT_NE(b, a) << "the reused slot hands out a handle of its next generation";
    EXPECT_EQ(handles.find(a), nullptr);
    ASSERT_NE(handles.find(b), nullptr);
    EXPECT_EQ(*handles.find(b), &second);
    EXPECT_EQ(handles.openCount(), 1u);
}

TEST(RegistryHandleTableTest, ValuesThatWereNeverHandedOutAreRefused) {
    RegistryHandleTable handles;
    RegNode node;
    const HKey open = handles.open(&node);
    const auto value = static_cast<std::uintptr_t>(open);
    for (const HKey other : {HKey::null, hkeyLocalMachine, hkeyCurrentUser, HKey{value + 1},
                             HKey{value + 4}, HKey{0xFF}, HKey{~std::uintptr_t{0}}}) {
        EXPECT_EQ(handles.find(other), nullptr) << static_cast<std::uintptr_t>(other);
        EXPECT_FALSE(handles.close(other));
    }
    EXPECT_EQ(handles.openCount(), 1u);
}

TEST(RegistryHandleTableTest, ClosingAllInvalidatesEveryHandleAndFreesTheSlots) {
    RegistryHandleTable handles;
    std::vector<RegNode> nodes(3);
    std::vector<HKey> open;
    for (RegNode& node : nodes) {
        open.push_back(handles.open(&node));
    }
    EXPECT_TRUE(handles.close(open[1]));

    handles.closeAll();

    EXPECT_EQ(handles.openCount(), 0u);
    for (const HKey handle : open) {
        EXPECT_EQ(handles.find(handle), nullptr);
    }
    RegNode later;
    const HKey reused = handles.open(&later);
    EXPECT_EQ(handles.openCount(), 1u);
    EXPECT_EQ(*handles.find(reused), &later);
}

} // namespace
} // namespace tolvane::prefix
