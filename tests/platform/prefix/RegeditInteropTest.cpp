// The built-in registry editor against Wine's own regedit, on freshly booted prefixes: each
// reads what the other writes, with the same result. Skipped where Wine is not installed.
#include "platform/prefix/WineRegistry.h"
#include "platform/regformat/RegFileRoots.h"
#include "platform/regformat/RegFileText.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "tests/support/BootedWinePrefix.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TempDir.h"
#include "tests/support/ValueBytes.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <type_traits>
#include <utility>

namespace tolvane {
namespace {

using test::sz;

using test::readFile;
using test::RegistrySnapshot;
using test::TempDir;

using test::BootedWinePrefix;

// The host path as a Windows program in the prefix names it (drive Z: is the root).
std::string onDriveZ(const std::filesystem::path& path) {
    std::string text = "Z:" + path.string();
    for (auto& c : text) {
        c = c == '/' ? '\\' : c;
    }
    return text;
}

// Runs a Wine program in `prefix` and waits until its wineserver has saved and ended.
void runWine(const std::filesystem::path& prefix, const std::string& arguments) {
    BootedWinePrefix::runIn(prefix, "wine " + arguments);
    ASSERT_EQ(BootedWinePrefix::runIn(prefix, "wineserver -w"), 0) << arguments;
}

std::unique_ptr<prefix::WineRegistry> openPrefix(const std::filesystem::path& prefix) {
    auto registry = prefix::WineRegistry::openPrefix(prefix);
    EXPECT_TRUE(registry) << registry.message();
    return registry ? std::move(registry.value()) : nullptr;
}

std::u16string widened(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// A .reg file's keys and values, with full key names.
RegistrySnapshot snapshotOfFile(const std::string& bytes) {
    RegistrySnapshot snapshot;
    auto parsed = RegFileReader::parse(bytes);
    EXPECT_TRUE(parsed) << parsed.message();
    if (!parsed) {
        return snapshot;
    }
    std::u16string key;
    for (auto& entry : parsed->entries) {
        if (entry.kind == RegFileEntry::Kind::openKey) {
            key = widened(rootKeyName(entry.root));
            if (!entry.name.empty()) {
                key += u"\\" + entry.name;
            }
            snapshot.keyPaths.push_back(key);
        } else if (entry.kind == RegFileEntry::Kind::setValue) {
            snapshot.values.push_back(
                {key, std::move(entry.name), entry.type, std::move(entry.data)});
        }
    }
    return snapshot;
}

// The whole registry as "/e" sees it: HKEY_LOCAL_MACHINE and HKEY_USERS, full key names.
RegistrySnapshot snapshotOfRegistry(RegistryGateway& registry) {
    RegistrySnapshot whole;
    for (const HKey root : {hkeyLocalMachine, hkeyUsers}) {
        const auto rootName = widened(rootKeyName(root));
        const auto full = [&](const std::u16string& path) {
            return path.empty() ? rootName : rootName + u"\\" + path;
        };
        auto snapshot = RegistrySnapshot::of(registry, root);
        for (auto& path : snapshot.keyPaths) {
            whole.keyPaths.push_back(full(path));
        }
        for (auto& value : snapshot.values) {
            value.keyPath = full(value.keyPath);
            whole.values.push_back(std::move(value));
        }
    }
    return whole;
}

std::size_t hashOf(const std::u16string& keyPath) {
    return std::hash<std::u16string>()(keyPath);
}

std::size_t hashOf(const RegistrySnapshot::Value& value) {
    return std::hash<std::u16string>()(value.keyPath) ^
           (std::hash<std::u16string>()(value.name) * 31) ^
           (std::hash<std::string>()(value.data) * 131) ^ value.type;
}

// What one side holds and the other lacks. Whole registries are ordered by a hash first, so two
// entries (long key paths that share their beginnings) are compared in full only when they are
// likely equal: plain sorting took half a minute under the sanitizers.
struct Difference {
    RegistrySnapshot onlyLeft;
    RegistrySnapshot onlyRight;

    Difference(RegistrySnapshot left, RegistrySnapshot right) {
        const auto split = [](auto& a, auto& b, auto& onlyA, auto& onlyB) {
            using Item = std::remove_reference_t<decltype(a.front())>;
            using Keyed = std::pair<std::size_t, Item*>;
            const auto keyed = [](auto& items) {
                std::vector<Keyed> result;
                for (auto& item : items) {
                    result.emplace_back(hashOf(item), &item);
                }
                return result;
            };
            const auto less = [](const Keyed& x, const Keyed& y) {
                return x.first != y.first ? x.first < y.first : *x.second < *y.second;
            };
            auto keyedA = keyed(a);
            auto keyedB = keyed(b);
            std::sort(keyedA.begin(), keyedA.end(), less);
            std::sort(keyedB.begin(), keyedB.end(), less);
            std::vector<Keyed> only;
            std::set_difference(keyedA.begin(), keyedA.end(), keyedB.begin(), keyedB.end(),
                                std::back_inserter(only), less);
            for (const auto& entry : only) {
                onlyA.push_back(*entry.second);
            }
            only.clear();
            std::set_difference(keyedB.begin(), keyedB.end(), keyedA.begin(), keyedA.end(),
                                std::back_inserter(only), less);
            for (const auto& entry : only) {
                onlyB.push_back(*entry.second);
            }
            // Later lookups (binary_search) want the plain order.
            std::sort(onlyA.begin(), onlyA.end());
            std::sort(onlyB.begin(), onlyB.end());
        };
        split(left.keyPaths, right.keyPaths, onlyLeft.keyPaths, onlyRight.keyPaths);
        split(left.values, right.values, onlyLeft.values, onlyRight.values);
    }
};

std::string describe(const RegistrySnapshot& snapshot) {
    std::string text;
    for (std::size_t i = 0; i < snapshot.keyPaths.size() && i < 10; ++i) {
        text += "\n  [" + printable(snapshot.keyPaths[i]) + "]";
    }
    for (std::size_t i = 0; i < snapshot.values.size() && i < 10; ++i) {
        const auto& value = snapshot.values[i];
        text += "\n  [" + printable(value.keyPath) + "] \"" + printable(value.name) + "\" type " +
                std::to_string(value.type) + ", " + std::to_string(value.data.size()) + " bytes";
    }
    return std::to_string(snapshot.keyPaths.size()) + " keys, " +
           std::to_string(snapshot.values.size()) + " values" + text;
}

bool isEmpty(const RegistrySnapshot& snapshot) {
    return snapshot.keyPaths.empty() && snapshot.values.empty();
}

bool keyExists(RegistryGateway& registry, std::u16string_view fullName) {
    const auto key = splitRootedKeyPath(fullName);
    HKey handle = HKey::null;
    if (!key || registry.RegOpenKeyExW(key->root, key->path, handle) != winerr::success) {
        return false;
    }
    registry.RegCloseKey(handle);
    return true;
}

// Wine's regedit gives every string value it imports a terminating NUL.
RegistrySnapshot asWineImportsIt(RegistrySnapshot snapshot) {
    for (auto& value : snapshot.values) {
        const auto& data = value.data;
        const bool terminated =
            data.size() >= 2 && data[data.size() - 1] == '\0' && data[data.size() - 2] == '\0';
        if (regtype::isString(value.type) && data.size() % 2 == 0 && !terminated) {
            value.data.append(2, '\0');
        }
    }
    return snapshot;
}

void fillTestKey(RegistryGateway& registry, std::u16string_view path) {
    struct Value {
        std::u16string_view name;
        std::uint32_t type;
        std::string data;
    };
    const std::vector<Value> values{
        {u"", regtype::sz, sz(u"default")},
        {u"path \"quoted\" \\ back", regtype::sz, sz(u"C:\\Program Files\\x.exe \"%1\"")},
        {u"expand", regtype::expandSz, sz(u"%SystemRoot%\\system32")},
        {u"multi", regtype::multiSz, sz(std::u16string(u"one\0two\0", 8))},
        {u"binary", regtype::binary, std::string("\x00\x7F\x80\xFF", 4)},
        {u"empty binary", regtype::binary, ""},
        {u"dword", regtype::dword, std::string("\x78\x56\x34\x12", 4)},
        {u"none", regtype::none, std::string("\x01", 1)},
        {u"qword", regtype::qword, std::string("\x01\0\0\0\0\0\0\x80", 8)},
        {u"custom", 0xabcd, std::string(90, 'x')},
    };
    for (const auto sub : {u"", u"\\Sub Key", u"\\Sub Key\\Deeper"}) {
        HKey key = HKey::null;
        ASSERT_EQ(registry.RegCreateKeyExW(hkeyCurrentUser, std::u16string(path) + sub, key),
                  winerr::success);
        for (const auto& value : values) {
            ASSERT_EQ(registry.RegSetValueExW(key, value.name, value.type, value.data),
                      winerr::success);
        }
        registry.RegCloseKey(key);
    }
}

TEST(RegeditInteropTest, BuiltinEditorAndWineRegeditReadEachOthersFiles) {
    if (!BootedWinePrefix::wineInstalled()) {
        GTEST_SKIP() << "Wine is not installed";
    }
    TempDir dir;
    const auto prefixA = dir / "a";
    const auto prefixB = dir / "b";
    for (const auto& prefix : {prefixA, prefixB}) {
        const std::string failure = BootedWinePrefix::make(prefix);
        ASSERT_TRUE(failure.empty()) << failure;
    }
    // Wine brings some keys up to date each time it starts (device classes, network cards), so
    // the files are read after Wine has run in the prefix: they then hold what it exported.
    runWine(prefixA, "regedit /e " + BootedWinePrefix::shellQuoted(onDriveZ(dir / "wine.reg")));
    auto registryA = openPrefix(prefixA);
    ASSERT_TRUE(registryA);
    BuiltinRegistryEditor editorA(*registryA);

    {
        SCOPED_TRACE("(a) wine regedit /e and the built-in /e export of the same prefix");
        const std::string wineFile = readFile(dir / "wine.reg");
        ASSERT_TRUE(editorA.exportRegistry(dir / "ours.reg"));
        const Difference difference(snapshotOfFile(wineFile),
                                    snapshotOfFile(readFile(dir / "ours.reg")));
        EXPECT_TRUE(isEmpty(difference.onlyRight)) << describe(difference.onlyRight);
        // Wine's own file also holds what exists only while Wine runs (HKLM\Hardware, network
        // cards, device interfaces): keys that are not in the prefix's files at all.
        const auto& wineOnly = difference.onlyLeft;
        for (const auto& key : wineOnly.keyPaths) {
            EXPECT_FALSE(keyExists(*registryA, key)) << printable(key) << " was left out";
        }
        for (const auto& value : wineOnly.values) {
            EXPECT_TRUE(std::binary_search(wineOnly.keyPaths.begin(), wineOnly.keyPaths.end(),
                                           value.keyPath))
                << printable(value.keyPath) << " \"" << printable(value.name) << "\" differs";
        }

        prefix::WineRegistry empty;
        BuiltinRegistryEditor editor(empty);
        auto imported = editor.importBytes(wineFile);
        ASSERT_TRUE(imported) << imported.message();
        std::ostringstream again;
        ASSERT_TRUE(editor.writeRegistry(again));
        EXPECT_TRUE(again.str() == wineFile)
            << "the export of Wine's file imported differs from it";
    }
    {
        SCOPED_TRACE("(b) the built-in /e export imported with wine regedit /s");
        runWine(prefixB, "regedit /s " + BootedWinePrefix::shellQuoted(onDriveZ(dir / "ours.reg")));
        auto registryB = openPrefix(prefixB);
        ASSERT_TRUE(registryB);
        const Difference difference(asWineImportsIt(snapshotOfRegistry(*registryA)),
                                    snapshotOfRegistry(*registryB));
        EXPECT_TRUE(isEmpty(difference.onlyLeft)) << describe(difference.onlyLeft);
        EXPECT_TRUE(isEmpty(difference.onlyRight)) << describe(difference.onlyRight);
    }
    {
        SCOPED_TRACE("(c) a REGEDIT4 export of one key imported with wine regedit /s");
        const std::u16string path = u"Software\\Tolvane Interop";
        fillTestKey(*registryA, path);
        ASSERT_TRUE(
            editorA.exportKey(dir / "key.reg", "HKEY_CURRENT_USER\\Software\\Tolvane Interop"));
        runWine(prefixB, "regedit /s " + BootedWinePrefix::shellQuoted(onDriveZ(dir / "key.reg")));
        auto registryB = openPrefix(prefixB);
        ASSERT_TRUE(registryB);
        HKey keyA = HKey::null;
        HKey keyB = HKey::null;
        ASSERT_EQ(registryA->RegOpenKeyExW(hkeyCurrentUser, path, keyA), winerr::success);
        ASSERT_EQ(registryB->RegOpenKeyExW(hkeyCurrentUser, path, keyB), winerr::success);
        const auto expected = RegistrySnapshot::of(*registryA, keyA);
        const auto actual = RegistrySnapshot::of(*registryB, keyB);
        EXPECT_EQ(expected.values.size(), 30u);
        EXPECT_EQ(expected, actual) << expected.firstDifference(actual);
        registryA->RegCloseKey(keyA);
        registryB->RegCloseKey(keyB);
    }
}

} // namespace
} // namespace tolvane
