#include "engine/IgnoreList.h"

#include "engine/ProblemRecord.h"
#include "platform/services/RegistryProfileStore.h"
#include "tests/support/TestPlatform.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

class IgnoreListTest : public ::testing::Test {
protected:
    static ProblemRecord record(int moduleId, std::string primary, std::string secondary = {}) {
        return ProblemRecord{
            moduleId, 0, "Missing or Invalid Path", "", std::move(primary), std::move(secondary),
            0};
    }

    test::TestPlatform test;
    RegistryProfileStore profile{test.registry(), hkeyCurrentUser, "Software\\Tolvane\\tolvane"};
};

TEST_F(IgnoreListTest, EntriesSurviveTheStoreWithAnyBytesInTheirNames) {
    IgnoreList list;
    ASSERT_TRUE(list.add({2, "Name\twith tab", "Software\\Vendor\\App\\", "/home/ann/.wine"}));
    ASSERT_TRUE(list.add({7, "MS Serif", "", ""}));
    ASSERT_TRUE(list.add({8, std::string("line\r\nend\0x", 11), "\xE6\xBC\xA2", ""}));
    ASSERT_TRUE(list.store(profile));

    auto loaded = IgnoreList::load(profile);
    ASSERT_TRUE(loaded) << loaded.message();
    EXPECT_EQ(loaded->entries(), list.entries());
}

TEST_F(IgnoreListTest, NothingStoredIsAnEmptyListAndUnreadableDataIsAnError) {
    auto empty = IgnoreList::load(profile);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->entries().empty());

    for (const std::vector<std::uint8_t>& bytes :
         {std::vector<std::uint8_t>{9, 0, 0, 0, 0}, std::vector<std::uint8_t>{1, 2, 0, 0, 0, 5},
          std::vector<std::uint8_t>{1, 2, 0, 0}}) {
        ASSERT_TRUE(profile.writeProfileBinary(IgnoreList::section, IgnoreList::entry, bytes));
        EXPECT_FALSE(IgnoreList::load(profile)) << "format " << int(bytes[0]);
    }
}

TEST_F(IgnoreListTest, EntriesNameRecordsOfTheirModuleForTheirPlace) {
    IgnoreList list;
    ASSERT_TRUE(list.add({2, "InstallDir", "Software\\Vendor\\App\\", "/p1"}));
    ASSERT_TRUE(list.add({7, "Courier", "", ""}));

    EXPECT_TRUE(list.ignores(record(2, "installdir", "SOFTWARE\\Vendor\\App"), "/p1"))
        << "case and a closing backslash do not matter";
    EXPECT_FALSE(list.ignores(record(2, "InstallDir", "Software\\Vendor\\App\\"), "/p2"));
    EXPECT_FALSE(list.ignores(record(1, "InstallDir", "Software\\Vendor\\App\\"), "/p1"));
    EXPECT_FALSE(list.ignores(record(2, "InstallDir", "Software\\Vendor\\"), "/p1"));
    EXPECT_TRUE(list.ignores(record(7, "courier"), "/p2")) << "an entry for every place";
    EXPECT_TRUE(list.ignores(record(7, "Courier"), IgnoreList::livePlace));
}

TEST_F(IgnoreListTest, AddRefusesTwinsAndRemovesGoByPositionOrName) {
    IgnoreList list;
    ASSERT_TRUE(list.add({2, "A", "Key", "/p1"}));
    EXPECT_FALSE(list.add({2, "a", "KEY\\", "/p1"}));
    EXPECT_TRUE(list.add({2, "A", "Key", ""})) << "the same problem for every place";
    EXPECT_FALSE(list.add({-1, "B", "", ""}));
    EXPECT_EQ(list.find("key"), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(list.find("nothing"), (std::vector<std::size_t>{}));
    EXPECT_FALSE(list.removeAt(2));
    EXPECT_TRUE(list.removeAt(0));
    ASSERT_EQ(list.entries().size(), 1u);
    EXPECT_EQ(list.entries()[0].place, "");
}

TEST_F(IgnoreListTest, EverySpellingOfAPrefixIsOnePlace) {
    const auto folder = std::filesystem::temp_directory_path();
    EXPECT_EQ(IgnoreList::placeOfPrefix(folder / "a" / ".." / "b" / ""),
              IgnoreList::placeOfPrefix(folder / "b"));
}

} // namespace
} // namespace tolvane
