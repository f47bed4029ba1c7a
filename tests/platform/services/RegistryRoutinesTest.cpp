#include "platform/services/RegistryRoutines.h"

#include "platform/services/RegKey.h"
#include "tests/support/TestPlatform.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane {
namespace {

// 87 CJK characters: 261 bytes in UTF-8, more than the 260 bytes a MAX_PATH buffer offers.
std::string longCjkName() {
    std::string name;
    for (int i = 0; i < 87; ++i) {
        name += "\xE6\xBC\xA2";
    }
    return name;
}

class IsKeyEmptyTest : public ::testing::Test {
protected:
    // Opens (creating) Software\Probe and hands back whether it counts as empty.
    bool probeIsEmpty() {
        RegKey key;
        EXPECT_EQ(RegKey::create(registry(), hkeyLocalMachine, "Software\\Probe", key),
                  winerr::success);
        return IsKeyEmpty(registry(), key.get());
    }
    RegistryGateway& registry() { return test.registry(); }

    test::TestPlatform test;
};

TEST_F(IsKeyEmptyTest, KeyWithNothingIsEmptyAndAnyValueOrSubKeyIsSomething) {
    EXPECT_TRUE(probeIsEmpty());
    {
        RegKey key;
        ASSERT_EQ(RegKey::create(registry(), hkeyLocalMachine, "Software\\Probe", key),
                  winerr::success);
        ASSERT_EQ(registry().RegSetValueExA(key.get(), "", regtype::sz, std::string("x\0", 2)),
                  winerr::success);
    }
    EXPECT_FALSE(probeIsEmpty()) << "the default value counts";
    RegKey key;
    ASSERT_EQ(RegKey::open(registry(), hkeyLocalMachine, "Software\\Probe", key), winerr::success);
    ASSERT_EQ(registry().RegDeleteValueA(key.get(), ""), winerr::success);
    RegKey child;
    ASSERT_EQ(RegKey::create(registry(), key.get(), "Child", child), winerr::success);
    EXPECT_FALSE(probeIsEmpty());
}

// A name longer than the buffer offered (234) is still there: such a key is not empty, so a
// fix never deletes the value along with the key.
TEST_F(IsKeyEmptyTest, NameLongerThanTheBufferIsNotNothing) {
    {
        RegKey key;
        ASSERT_EQ(RegKey::create(registry(), hkeyLocalMachine, "Software\\Probe", key),
                  winerr::success);
        ASSERT_EQ(
            registry().RegSetValueExA(key.get(), longCjkName(), regtype::sz, std::string("x\0", 2)),
            winerr::success);
    }
    EXPECT_FALSE(probeIsEmpty()) << "only value with a long name";

    RegKey key;
    ASSERT_EQ(RegKey::open(registry(), hkeyLocalMachine, "Software\\Probe", key), winerr::success);
    ASSERT_EQ(registry().RegDeleteValueA(key.get(), longCjkName()), winerr::success);
    RegKey child;
    ASSERT_EQ(RegKey::create(registry(), key.get(), longCjkName(), child), winerr::success);
    EXPECT_FALSE(probeIsEmpty()) << "only sub-key with a long name";
}

} // namespace
} // namespace tolvane
