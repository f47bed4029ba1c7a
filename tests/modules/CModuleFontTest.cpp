#include "modules/CModuleFont.h"

#include "tests/modules/ModuleFixture.h"
#include "tests/support/ForwardingFileSystem.h"

#include <optional>
#include <string>

namespace tolvane {
namespace {

const std::string fonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";

// The prefix's files with WINDIR set as a test wants it, remembering the paths tested.
class WindirFiles final : public test::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    bool PathFileExistsA(std::string_view path) override {
        tested.emplace_back(path);
        return ForwardingFileSystem::PathFileExistsA(path);
    }
    std::uint32_t GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                          std::uint32_t size) override {
        if (name != "WINDIR") {
            return ForwardingFileSystem::GetEnvironmentVariableA(name, buffer, size);
        }
        if (!windir) {
            return 0;
        }
        buffer = *windir;
        return static_cast<std::uint32_t>(windir->size());
    }

    std::optional<std::string> windir;
    std::vector<std::string> tested;
};

class CModuleFontTest : public test::ModuleTest<CModuleFont> {
protected:
    void font(std::string_view name, std::string_view file) { setText(fonts, name, file); }
};

TEST_F(CModuleFontTest, LooksInTheFontsFolderUnlessTheDataHoldsAColon) {
    test.addFile("C:\\windows\\Fonts\\arial.ttf");
    test.addFile("C:\\windows\\elsewhere.ttf");
    test.addFile("C:\\MyFonts\\here.ttf");
    font("Arial (TrueType)", "arial.ttf");
    font("Elsewhere", "elsewhere.ttf");
    font("Here", "C:\\MyFonts\\here.ttf");
    font("Gone", "C:\\MyFonts\\gone.ttf");
    font("Long", std::string(250, 'f') + ".ttf"); // joined beyond 264 bytes: not found

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"Elsewhere", "Gone", "Long"}));
    EXPECT_EQ(records.at(1),
              found(7, "Missing or Invalid Path",
                    "The key Fonts under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\"
                    "CurrentVersion\\Fonts contains a bad path for the value Gone",
                    "Gone"));
    EXPECT_EQ(progress.statusHistory(),
              (std::vector<std::string>{"Arial (TrueType)", "Elsewhere", "Gone", "Here", "Long"}));
}

// Holds the fonts that Wine ships, or knows of none of its font folders.
class LoaderFontFileSystem : public test::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    PathState FindLoaderFont(std::string_view fileName) override {
        if (!foldersKnown) {
            return PathState::unknown;
        }
        return fileName == "coure.fon" ? PathState::exists : PathState::missing;
    }
    bool foldersKnown = true;
};

TEST_F(CModuleFontTest, FontsOfTheLoadersOwnFoldersAreThereAndUnknownOnesAreKept) {
    LoaderFontFileSystem files(test.files());
    const Platform& base = test.platform();
    const Platform platform{base.registry,  files,        base.editor,          base.clock,
                            base.autostart, base.storage, base.workingDirectory};
    CModuleFont loaderModule(&owner, platform);
    font("Courier 10,12,15", "coure.fon");
    font("Small Fonts", "smalle.fon");
    font("Gone", "C:\\MyFonts\\gone.ttf");

    EXPECT_EQ(primaryNames(scanAndSelect(loaderModule)),
              (std::vector<std::string>{"Gone", "Small Fonts"}));
    files.foldersKnown = false;
    EXPECT_EQ(primaryNames(scanAndSelect(loaderModule)), (std::vector<std::string>{"Gone"}));
}

TEST_F(CModuleFontTest, TheFontsFolderComesFromWindirWithOneBackslash) {
    WindirFiles files(test.files());
    const Platform& platform = test.platform();
    const Platform withWindir{platform.registry,        files,
                              platform.editor,          platform.clock,
                              platform.autostart,       platform.storage,
                              platform.workingDirectory};
    CModuleFont reader(&owner, withWindir);
    font("A", "a.ttf");

    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {"C:\\windows\\", "C:\\windows\\Fonts\\a.ttf"},
        {"D:\\win", "D:\\win\\Fonts\\a.ttf"},
        {std::nullopt, "C:\\windows\\Fonts\\a.ttf"}, // unset: the Windows directory
    };
    for (const auto& [windir, tested] : cases) {
        files.windir = windir;
        files.tested.clear();
        reader.Scan();
        EXPECT_EQ(files.tested, std::vector<std::string>{tested});
    }
}

TEST_F(CModuleFontTest, FixSavesTheWholeKeyOnceBeforeDeleting) {
    font("One", "one.ttf");
    font("Two", "two.ttf");
    font("Three", "three.ttf");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 3u);
    records[1].selected = 0;

    fix(module, records, true);

    const std::string saved = backupText("font.reg");
    EXPECT_EQ(test::occurrences(saved, "\\Fonts]"), 1u);
    EXPECT_NE(saved.find("\"One\"=\"one.ttf\""), std::string::npos)
        << "saved before the first deletion";
    EXPECT_NE(saved.find("\"Two\"=\"two.ttf\""), std::string::npos);
    EXPECT_FALSE(valueExists(fonts, "One"));
    EXPECT_TRUE(valueExists(fonts, "Three"));
    EXPECT_FALSE(valueExists(fonts, "Two"));
}

TEST_F(CModuleFontTest, FixWithAFailedSaveKeepsEveryFont) {
    font("One", "one.ttf");
    font("Two", "two.ttf");
    auto records = scanAndSelect(module);

    fixWithBlockedBackup(module, records, "font.reg");
}

TEST_F(CModuleFontTest, FixOfFixedOrForeignRecordsSavesAndDeletesNothing) {
    font("One", "one.ttf");
    std::vector<ProblemRecord> records{{7, entrykind::fixed, "x", "x", "One", "", 1},
                                       {9, entrykind::ordinary, "x", "x", "One", "", 1}};

    fix(module, records, true);

    EXPECT_TRUE(valueExists(fonts, "One"));
    EXPECT_FALSE(backupExists("font.reg"));
}

} // namespace
} // namespace tolvane
