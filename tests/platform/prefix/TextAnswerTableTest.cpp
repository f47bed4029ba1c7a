// The scan's table of answers per path: every text keeps its own answer through growth,
// replacement and clearing, checked against an ordinary map.
#include "platform/prefix/TextAnswerTable.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>

namespace tolvane::prefix {
namespace {

TEST(TextAnswerTableTest, AnswersMatchAnOrdinaryMapThroughGrowthAndReplacement) {
    TextAnswerTable table;
    std::map<std::string, std::uint32_t> expected;
    std::mt19937 random(7);
    // Paths sharing long prefixes, differing in case, one being a prefix of another, empty.
    const auto textOf = [](std::uint32_t number) {
        std::string text = "C:\\Program Files\\Vendor " + std::to_string(number % 97);
        if (number % 3 == 0) {
            text += "\\PROGRAM.EXE";
        } else if (number % 3 == 1) {
            text += "\\program.exe";
        }
        return text + std::string(number % 5, '\\') + std::to_string(number / 97);
    };
    for (int step = 0; step < 20000; ++step) {
        const std::uint32_t number = random() % 6000;
        const std::string text = step == 0 ? std::string() : textOf(number);
        const std::uint32_t answer = random();
        table.set(text, answer);
        expected[text] = answer;
    }
    EXPECT_EQ(table.size(), expected.size());
    for (const auto& [text, answer] : expected) {
        EXPECT_EQ(table.find(text), answer) << text;
    }
    for (std::uint32_t number = 6000; number < 7000; ++number) {
        EXPECT_EQ(table.find(textOf(number) + "x"), std::nullopt);
    }
    EXPECT_EQ(table.find(""), expected[""]);

    table.clear();
    EXPECT_EQ(table.size(), 0U);
    EXPECT_EQ(table.find(expected.begin()->first), std::nullopt);
    table.set("C:\\a", 1);
    table.set("c:\\A", 2);
    EXPECT_EQ(table.find("C:\\a"), 1U);
    EXPECT_EQ(table.find("c:\\A"), 2U);
    EXPECT_EQ(table.find("C:\\"), std::nullopt);
}

TEST(TextAnswerTableTest, AnEmptyTableAnswersNothing) {
    const TextAnswerTable table;
    EXPECT_EQ(table.find(""), std::nullopt);
    EXPECT_EQ(table.find("C:\\windows"), std::nullopt);
}

} // namespace
} // namespace tolvane::prefix
