#include "platform/discovery/VdfBinaryReader.h"
#include "platform/discovery/VdfTextReader.h"
#include "tests/support/FakeHome.h"

#include <gtest/gtest.h>

namespace tolvane::discovery {
namespace {

std::span<const std::byte> bytesOf(const std::string& data) {
    return std::as_bytes(std::span(data));
}

TEST(VdfTextReaderTest, ReadsLibraryFoldersAsSteamWritesThem) {
    const auto document = VdfTextReader::read(R"("libraryfolders"
{
	"0"
	{
		"path"		"/home/u/.local/share/Steam"
		"label"		""
		"apps"
		{
			"440"		"123"
		}
	}
	// a comment
	"1" { "path" "/mnt/games/Steam Library" }
}
)");
    ASSERT_TRUE(document) << document.message();
    const VdfNode* list = document->child("LIBRARYFOLDERS");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->children().size(), 2u);
    EXPECT_EQ(list->children()[0].textOf("path"), "/home/u/.local/share/Steam");
    EXPECT_EQ(list->children()[0].textOf("label"), "");
    EXPECT_EQ(list->children()[0].child("apps")->textOf("440"), "123");
    EXPECT_EQ(list->children()[1].textOf("path"), "/mnt/games/Steam Library");
}

TEST(VdfTextReaderTest, EscapesBareTokensConditionsAndByteOrderMark) {
    const auto document = VdfTextReader::read("\xEF\xBB\xBF\"a\" \"x\\\"y\\\\z\\n\"\n"
                                              "bare value [$WIN32]\n"
                                              "\"win\" \"C:\\Games\\x\"\n"
                                              "\"n\" \"1\"//trailing comment\n");
    ASSERT_TRUE(document) << document.message();
    EXPECT_EQ(document->textOf("a"), "x\"y\\z\n");
    EXPECT_EQ(document->textOf("bare"), "value");
    // Old files keep lone backslashes in Windows paths.
    EXPECT_EQ(document->textOf("win"), "C:\\Games\\x");
    EXPECT_EQ(document->unsignedOf("n"), 1u);
    EXPECT_EQ(document->children().size(), 4u);
}

TEST(VdfTextReaderTest, RefusesMalformedTextWithItsLine) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"\"a\" \"b\n\n", "unclosed quote that starts on line 1"},
        {"\"a\"\n{\n\"b\" \"c\"\n", "block \"a\" is not closed"},
        {"\"a\" \"b\"\n}\n", "'}' without a block on line 2"},
        {"\"a\" \"b\"\n\"c\"\n", "\"c\" has no value on line 2"},
        {"\"a\" }", "\"a\" has no value on line 1"},
        {"{ \"a\" \"b\" }", "'{' without a name on line 1"},
    };
    for (const auto& test : cases) {
        const auto document = VdfTextReader::read(test.text);
        ASSERT_FALSE(document) << test.text;
        EXPECT_EQ(document.message(), test.reason);
    }
}

TEST(VdfTextReaderTest, DeepNestingIsRefusedNotRecursed) {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "\"k\" {";
    }
    const auto deep = VdfTextReader::read(text);
    ASSERT_FALSE(deep);
    EXPECT_NE(deep.message().find("nested deeper than 64"), std::string::npos);

    std::string allowed;
    for (int i = 0; i < VdfTextReader::maxDepth; ++i) {
        allowed += "\"k\" {";
    }
    allowed += std::string(VdfTextReader::maxDepth, '}');
    EXPECT_TRUE(VdfTextReader::read(allowed));
}

TEST(VdfBinaryReaderTest, ReadsShortcutsWithIdsAboveTwoToTheThirtyOne) {
    const std::string data =
        test::FakeHome::shortcutsVdf({{3123456789u, "My Launcher"}, {7u, "Seven"}});
    const auto document = VdfBinaryReader::read(bytesOf(data));
    ASSERT_TRUE(document) << document.message();
    const VdfNode* list = document->child("shortcuts");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->children().size(), 2u);
    const VdfNode& first = list->children()[0];
    EXPECT_EQ(first.child("appid")->integer(), static_cast<std::int32_t>(3123456789u));
    EXPECT_EQ(first.unsignedOf("appid"), 3123456789u);
    EXPECT_EQ(first.textOf("appname"), "My Launcher");
    EXPECT_EQ(list->children()[1].unsignedOf("appid"), 7u);
    EXPECT_EQ(first.child("tags")->kind(), VdfNode::Kind::Map);
}

TEST(VdfBinaryReaderTest, EveryTruncationIsRefused) {
    const std::string data = test::FakeHome::shortcutsVdf({{42u, "Game"}});
    // Cut before the final end byte, the file still ends inside the top-level map.
    for (std::size_t length = 1; length + 1 < data.size(); ++length) {
        const std::string cut = data.substr(0, length);
        EXPECT_FALSE(VdfBinaryReader::read(bytesOf(cut))) << "length " << length;
    }
    EXPECT_TRUE(VdfBinaryReader::read(bytesOf(data)));
    EXPECT_TRUE(VdfBinaryReader::read({}));
}

TEST(VdfBinaryReaderTest, RefusesUnknownTypesTrailingDataAndDeepNesting) {
    const std::string unknown("\x05name\0", 6);
    const auto bad = VdfBinaryReader::read(bytesOf(unknown));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.message(), "unknown entry type 5 at byte 0");

    const std::string trailing("\x01k\0v\0\x08\x01", 7);
    EXPECT_FALSE(VdfBinaryReader::read(bytesOf(trailing)));

    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += std::string("\x00m\0", 3);
    }
    const auto nested = VdfBinaryReader::read(bytesOf(deep));
    ASSERT_FALSE(nested);
    EXPECT_NE(nested.message().find("nested deeper than 64"), std::string::npos);
}

TEST(VdfNodeTest, UnsignedOfRefusesWhatIsNotAnId) {
    VdfNode node = VdfNode::makeMap("");
    node.children().push_back(VdfNode::makeText("neg", "-1"));
    node.children().push_back(VdfNode::makeText("big", "4294967296"));
    node.children().push_back(VdfNode::makeText("junk", "12x"));
    node.children().push_back(VdfNode::makeText("empty", ""));
    node.children().push_back(VdfNode::makeMap("map"));
    node.children().push_back(VdfNode::makeInteger("wide", std::int64_t{1} << 40));
    node.children().push_back(VdfNode::makeText("max", "4294967295"));
    for (const char* name : {"neg", "big", "junk", "empty", "map", "wide", "missing"}) {
        EXPECT_FALSE(node.unsignedOf(name)) << name;
    }
    EXPECT_EQ(node.unsignedOf("max"), 4294967295u);
}

} // namespace
} // namespace tolvane::discovery
