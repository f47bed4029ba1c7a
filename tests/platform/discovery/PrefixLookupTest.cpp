#include "platform/discovery/PrefixLookup.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane::discovery {
namespace {

std::vector<DiscoveredPrefix> found() {
    std::vector<DiscoveredPrefix> prefixes(3);
    prefixes[0] = {"Steam", "Portal 2", "/s/620/pfx", {}, 0, {}, true, {}};
    prefixes[1] = {"Lutris", "Portal 2", "/g/portal", {}, 0, {}, true, {}};
    prefixes[2] = {"Bottles", "Office", "/b/Office", {}, 0, {}, true, {}};
    return prefixes;
}

TEST(PrefixLookupTest, FoldersPassNamesMustBeExactAndUnique) {
    const auto prefixes = found();
    EXPECT_EQ(PrefixLookup::resolve("Office", prefixes).value(), "/b/Office");
    EXPECT_EQ(PrefixLookup::resolve("/any/folder", prefixes).value(), "/any/folder");
    EXPECT_EQ(PrefixLookup::resolve("rel/folder", prefixes).value(), "rel/folder");
    // An existing folder in the working directory wins over a name.
    test::TempDir scratch;
    EXPECT_EQ(PrefixLookup::resolve(scratch.path().string(), prefixes).value(), scratch.path());

    const auto ambiguous = PrefixLookup::resolve("Portal 2", prefixes);
    ASSERT_FALSE(ambiguous);
    EXPECT_EQ(ambiguous.message(),
              "\"Portal 2\" names several prefixes; give the folder of the one you mean:\n"
              "  Steam: \"Portal 2\" /s/620/pfx\n"
              "  Lutris: \"Portal 2\" /g/portal");

    const auto unknown = PrefixLookup::resolve("office", prefixes);
    ASSERT_FALSE(unknown);
    EXPECT_NE(unknown.message().find("no folder or prefix is called \"office\"; the prefixes "
                                     "found are:\n  Steam:"),
              std::string::npos);
    EXPECT_FALSE(PrefixLookup::resolve("", prefixes));
    EXPECT_EQ(PrefixLookup::resolve("x", {}).message(),
              "no folder or prefix is called \"x\"; no prefixes were found");
}

} // namespace
} // namespace tolvane::discovery
