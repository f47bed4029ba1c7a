// Against a prefix that Wine itself creates: its files load and save byte for byte, and the
// probe sees its wineserver come and go. Skipped where Wine is not installed.
#include "platform/prefix/PrefixStorage.h"
#include "platform/prefix/WineRegFileWriter.h"
#include "tests/support/BootedWinePrefix.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tolvane::prefix {
namespace {

template <typename Condition>
bool waitFor(Condition condition) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

TEST(WinePrefixTest, FilesOfAFreshPrefixRoundTripAndTheServerIsSeen) {
    if (!test::BootedWinePrefix::wineInstalled()) {
        GTEST_SKIP() << "wine is not installed; the test against a real prefix is skipped";
    }
    test::TempDir dir;
    const auto prefix = dir / "prefix";
    const std::string failure = test::BootedWinePrefix::make(prefix);
    ASSERT_TRUE(failure.empty()) << failure;

    auto registry = WineRegistry::openPrefix(prefix);
    ASSERT_TRUE(registry.ok()) << registry.message();
    struct File {
        RegistryTree::Branch branch;
        const char* name;
    };
    for (const File& file : {File{RegistryTree::machineBranch, "system.reg"},
                             File{RegistryTree::currentUserBranch, "user.reg"},
                             File{RegistryTree::userDefaultBranch, "userdef.reg"}}) {
        const std::string original = test::readFile(prefix / file.name);
        ASSERT_FALSE(original.empty()) << file.name;
        // The preamble ends where the first key block starts.
        const std::string preamble = original.substr(0, original.find("\n\n[") + 1);
        for (const bool reencode : {false, true}) {
            const std::string written = (*registry)->withTree([&](RegistryTree& tree) {
                return WineRegFileWriter::write(tree, file.branch, preamble, {reencode, 0});
            });
            EXPECT_TRUE(written == original) << file.name << (reencode ? " re-encoded" : "");
        }
    }
    // And through the real save path: every file rewritten must equal the original.
    (*registry)->withTree([](RegistryTree& tree) {
        for (const auto branch : {RegistryTree::machineBranch, RegistryTree::currentUserBranch,
                                  RegistryTree::userDefaultBranch}) {
            tree.setDirty(branch, true);
        }
    });
    const std::string system = test::readFile(prefix / "system.reg");
    ASSERT_TRUE((*registry)->save().ok());
    EXPECT_TRUE(test::readFile(prefix / "system.reg") == system);

    const WineServerProbe probe = WineServerProbe::forPrefix(prefix);
    PrefixStorage storage(**registry, prefix, probe);
    EXPECT_FALSE(probe.runningServer());
    EXPECT_TRUE(storage.ensureWritable().ok());

    ASSERT_EQ(test::BootedWinePrefix::runIn(prefix, "wineserver -p"), 0);
    EXPECT_TRUE(waitFor([&] { return probe.runningServer().has_value(); }))
        << "a persistent wineserver was started";
    EXPECT_FALSE(storage.ensureWritable().ok());

    test::BootedWinePrefix::runIn(prefix, "wineserver -k");
    EXPECT_TRUE(waitFor([&] { return !probe.runningServer().has_value(); }));
    // The server wrote its registry on the way out, so what was read before is stale and
    // must not overwrite it; the prefix read afresh may be changed again.
    const auto stale = storage.ensureWritable();
    if (!stale.ok()) {
        EXPECT_NE(stale.message().find("changed on disk"), std::string::npos) << stale.message();
    }
    auto reread = WineRegistry::openPrefix(prefix);
    ASSERT_TRUE(reread.ok()) << reread.message();
    PrefixStorage fresh(**reread, prefix, probe);
    EXPECT_TRUE(fresh.ensureWritable().ok());
}

} // namespace
} // namespace tolvane::prefix
