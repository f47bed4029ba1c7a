// The "/e" export of a whole prefix registry and its import into an empty one.
#include "platform/prefix/WineRegistry.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ValueBytes.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace std::string_literals;

namespace tolvane {
namespace {

using test::sz;
using test::utf16;

using test::RegistrySnapshot;

void set(RegistryGateway& registry, HKey root, std::u16string_view path, std::u16string_view name,
         std::uint32_t type, std::string_view data) {
    HKey key = HKey::null;
    ASSERT_EQ(registry.RegCreateKeyExW(root, path, key), winerr::success);
    ASSERT_EQ(registry.RegSetValueExW(key, name, type, data), winerr::success);
    registry.RegCloseKey(key);
}

std::string exportAll(BuiltinRegistryEditor& editor) {
    std::ostringstream out;
    auto written = editor.writeRegistry(out);
    EXPECT_TRUE(written) << written.message();
    return out.str();
}

TEST(RegFileExportAllTest, WholeRegistryGoesIntoAnEmptyOneUnchanged) {
    prefix::WineRegistry source;
    set(source, hkeyLocalMachine, u"Software\\Vendor\\App", u"", regtype::sz, sz(u"default"));
    set(source, hkeyLocalMachine, u"Software\\Vendor\\App", u"odd", 0x12345, "\x01");
    set(source, hkeyLocalMachine, u"System\\Caf\u00e9 \u2603", u"multi", regtype::multiSz,
        sz(std::u16string(u"a\0b\0", 4)));
    set(source, hkeyClassesRoot, u".txt", u"", regtype::sz, sz(u"txtfile"));
    set(source, hkeyCurrentUser, u"Software\\Mine", u"dw", regtype::dword, "\x01\x02\x03\x04");
    set(source, hkeyUsers, u".Default\\Environment", u"TEMP", regtype::expandSz, sz(u"%T%"));
    BuiltinRegistryEditor sourceEditor(source);
    const std::string file = exportAll(sourceEditor);

    const std::string header = "\xFF\xFEW\0i\0n\0d\0o\0w\0s\0 \0"s;
    EXPECT_EQ(file.substr(0, header.size()), header);
    const auto position = [&](std::u16string_view text) { return file.find(utf16(text)); };
    EXPECT_LT(position(u"\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n"), position(u"\r\n[HKEY_USERS]\r\n"));
    EXPECT_NE(position(u"[HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt]"), std::string::npos);
    EXPECT_NE(position(u"[HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software\\Mine]"), std::string::npos);
    // The other roots are views into these two and are not written again.
    EXPECT_EQ(position(u"[HKEY_CURRENT_USER"), std::string::npos);
    EXPECT_EQ(position(u"[HKEY_CLASSES_ROOT"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - 8), utf16(u"\r\n\r\n"));

    prefix::WineRegistry target;
    BuiltinRegistryEditor targetEditor(target);
    auto imported = targetEditor.importBytes(file);
    ASSERT_TRUE(imported) << imported.message();
    for (const HKey root : {hkeyLocalMachine, hkeyUsers}) {
        const auto before = RegistrySnapshot::of(source, root);
        const auto after = RegistrySnapshot::of(target, root);
        EXPECT_EQ(before, after) << before.firstDifference(after);
    }
    EXPECT_EQ(exportAll(targetEditor), file);
}

} // namespace
} // namespace tolvane

namespace tolvane {
namespace {

std::string deepKeyFile(std::string_view root, int levels) {
    std::string path(root);
    for (int level = 0; level < levels; ++level) {
        path += "\\k";
    }
    return "REGEDIT4\r\n\r\n[" + path + "]\r\n\"v\"=\"x\"\r\n";
}

// An import may not make keys that a whole-registry export (a backup) cannot write again.
TEST(RegFileExportAllTest, ImportRefusesKeysDeeperThanAnExportCanWrite) {
    prefix::WineRegistry registry;
    BuiltinRegistryEditor editor(registry);
    ASSERT_TRUE(editor.importBytes(deepKeyFile("HKEY_LOCAL_MACHINE", 512)));
    exportAll(editor);

    for (const auto& [root, levels] :
         {std::pair{"HKEY_LOCAL_MACHINE", 513}, std::pair{"HKEY_CURRENT_USER", 512},
          std::pair{"HKEY_CLASSES_ROOT", 511}}) {
        prefix::WineRegistry fresh;
        BuiltinRegistryEditor freshEditor(fresh);
        const auto refused = freshEditor.importBytes(deepKeyFile(root, levels));
        ASSERT_FALSE(refused) << root;
        EXPECT_NE(refused.message().find("line 3: the key is nested 513 levels deep"),
                  std::string::npos)
            << refused.message();
        HKey key = HKey::null;
        EXPECT_NE(fresh.RegOpenKeyA(hkeyLocalMachine, "k", key), winerr::success)
            << "nothing imported";
    }
}

} // namespace
} // namespace tolvane
