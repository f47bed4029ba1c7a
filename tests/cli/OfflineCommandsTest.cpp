// tolvane-cli --windows on a generated offline installation that holds the demo prefix's
// registrations and files: the same problems are found as in the prefix, a fix removes them
// behind the gates, and the hives stay sound.
#include "cli/CliApp.h"
#include "tests/cli/DemoPrefixCliTest.h"
#include "tests/support/WindowsTree.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace tolvane {
namespace {

using test::CliRun;

// The demo prefix (from the shared fixture) and an installation generated from it.
class OfflineCommandsTest : public test::DemoPrefixCliTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(test::DemoPrefixCliTest::SetUp());
        tree.importPrefix(prefix.path());
    }

    static CliRun raw(const std::vector<std::string>& words) { return test::runCliWords(words); }
    CliRun offline(std::vector<std::string> words) {
        words.insert(words.begin(), {"--windows", tree.mount().string()});
        return test::runCliWords(words);
    }

    // moduleId, primary and secondary name of each problem of a JSON scan.
    static std::multiset<std::string> problems(const std::string& json) {
        std::multiset<std::string> found;
        const auto field = [&](std::size_t from, std::string_view name) {
            const std::size_t at = json.find("\"" + std::string(name) + "\": ", from);
            const std::size_t start = at + name.size() + 4;
            return json.substr(start, json.find_first_of(",}", start) - start);
        };
        for (std::size_t at = json.find("{\"moduleId\""); at != std::string::npos;
             at = json.find("{\"moduleId\"", at + 1)) {
            found.insert(field(at, "moduleId") + " " + field(at, "primaryName") + " " +
                         field(at, "secondaryName"));
        }
        return found;
    }

    test::WindowsTree tree;
};

TEST_F(OfflineCommandsTest, FindsWhatThePrefixScanFinds) {
    const CliRun wine = run({"scan", "--json"});
    ASSERT_EQ(wine.code, 0) << wine.err;
    const CliRun windows = offline({"scan", "--json"});
    ASSERT_EQ(windows.code, 0) << windows.err;
    EXPECT_NE(windows.err.find("user Bob"), std::string::npos) << windows.err;
    auto expected = problems(wine.out);
    EXPECT_GE(expected.size(), 20u);
    // On Windows the user's Software\Classes is a link to the user's classes hive, which the
    // walk of the user's software keys does not follow (Wine keeps a key of its own there).
    ASSERT_EQ(expected.erase(R"(1 "Cache" "Software\\Classes\\Local Settings\\Demo\\")"), 1u);
    EXPECT_EQ(problems(windows.out), expected) << windows.out;
}

TEST_F(OfflineCommandsTest, FixRemovesTheProblemsAndKeepsTheHivesSound) {
    const CliRun fixed = offline({"fix", "--backup"});
    ASSERT_EQ(fixed.code, 0) << fixed.out << fixed.err;
    const CliRun again = offline({"scan", "--json"});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(problems(again.out).size(), 0u) << again.out;
    // Working entries stay.
    const CliRun exported =
        offline({"export", (work / "txt.reg").string(), "HKEY_CLASSES_ROOT\\txtfile"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_NE(test::readFile(work / "txt.reg").find("notepad.exe"), std::string::npos);
    // The hives were copied before the first change.
    bool copied = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work / "data")) {
        copied = copied || entry.path().filename() == "SOFTWARE";
    }
    EXPECT_TRUE(copied);
}

TEST_F(OfflineCommandsTest, AWholeRegistryBackupBringsTheHivesBack) {
    const std::size_t found = problems(offline({"scan", "--json"}).out).size();
    const CliRun created = offline({"backup", "create"});
    ASSERT_EQ(created.code, 0) << created.err;
    const CliRun list = offline({"backup", "list"});
    ASSERT_EQ(list.code, 0) << list.err;
    const std::string name = list.out.substr(0, list.out.find('\n'));
    ASSERT_FALSE(name.empty());
    ASSERT_EQ(offline({"fix", "--no-backup"}).code, 0);
    ASSERT_EQ(problems(offline({"scan", "--json"}).out).size(), 0u);

    // Restoring is a change: the gates apply.
    test::writeFile(tree.mount() / "hiberfil.sys", "HIBR");
    const CliRun refused = offline({"backup", "restore", name});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("Fast Startup"), std::string::npos) << refused.err;
    std::filesystem::remove(tree.mount() / "hiberfil.sys");

    const CliRun restored = offline({"backup", "restore", name});
    ASSERT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(problems(offline({"scan", "--json"}).out).size(), found);
}

TEST_F(OfflineCommandsTest, UsersAreChosenByName) {
    tree.addUser("Alice", "S-1-5-21-1111-2222-3333-1002");
    const CliRun ambiguous = offline({"scan"});
    EXPECT_EQ(ambiguous.code, 1);
    EXPECT_NE(ambiguous.err.find("several users; choose one with --user NAME (its users: "),
              std::string::npos)
        << ambiguous.err;
    EXPECT_NE(ambiguous.err.find("Alice"), std::string::npos);
    const CliRun unknown = offline({"--user", "Carol", "scan"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_NE(unknown.err.find("no user Carol"), std::string::npos) << unknown.err;
    const CliRun chosen = offline({"--user", "alice", "scan", "--json"});
    EXPECT_EQ(chosen.code, 0) << chosen.err;
    EXPECT_NE(chosen.err.find("user Alice"), std::string::npos);

    EXPECT_EQ(raw({"--user", "Bob", "scan"}).code, 2);
    EXPECT_EQ(raw({"--windows", "x", "--prefix", "y", "scan"}).code, 2);
    EXPECT_EQ(offline({"stat"}).code, 2);
    const CliRun missing = raw({"--windows", (work / "nothing").string(), "scan"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no such folder"), std::string::npos);
}

} // namespace
} // namespace tolvane
