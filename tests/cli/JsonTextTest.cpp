#include "cli/JsonText.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(JsonTextTest, EscapesQuotesBackslashesAndControlCharactersOnly) {
    EXPECT_EQ(jsonString("C:\\Program Files\\\"x\".exe"), R"("C:\\Program Files\\\"x\".exe")");
    EXPECT_EQ(jsonString(std::string("a\nb\tc\x01\x7f", 7)), R"("a\nb\tc\u0001\u007f")");
    EXPECT_EQ(jsonString("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
    EXPECT_EQ(jsonString(""), "\"\"");
}

} // namespace
} // namespace tolvane
