#include "modules/CModuleComponets.h"

#include "tests/modules/ModuleFixture.h"
#include "tests/support/ModuleTestHelpers.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

class CModuleComponetsTest : public test::ModuleTest<CModuleComponets> {
protected:
    CModuleComponetsTest() {
        test.addFile("C:\\windows\\system32\\shell32.dll");
        test.addFile("C:\\windows\\system32\\ole32.dll");
        test.addFile("C:\\App\\app.exe");
        test.addFile("C:\\App\\lib.tlb");
    }

    void setDefault(std::string_view key, std::string_view text) {
        setText(hkeyClassesRoot, key, "", text);
    }

    // "problem name|primary name|description" of each record, in order.
    static std::vector<std::string> lines(const ProblemList& found) {
        std::vector<std::string> result;
        for (const ProblemRecord& record : found) {
            EXPECT_EQ(record.moduleId, 0);
            EXPECT_EQ(record.secondaryName, "");
            result.push_back(record.problemName + "|" + record.primaryName + "|" +
                             record.description);
        }
        return result;
    }
};

TEST_F(CModuleComponetsTest, ReportsClassServersThatCannotBeFound) {
    setDefault("CLSID\\{A}\\InprocServer32", "%SystemRoot%\\System32\\shell32.dll");
    setDefault("CLSID\\{B}\\InprocServer32", "ole32.dll");
    setDefault("CLSID\\{C}\\LocalServer32", "C:\\App\\app.exe /Automation");
    setDefault("CLSID\\{D}\\LocalServer32", "C:\\App\\app.exe -Embedding");
    setDefault("CLSID\\{E}\\InprocServer32", "\"C:\\App\\app.exe\"");
    setDefault("CLSID\\{F}\\InprocServer32", "C:\\Gone\\server.dll");
    setDefault("CLSID\\{F}\\LocalServer32", "C:\\Gone\\server.exe");
    setDefault("CLSID\\{G}\\LocalServer32", "C:\\Gone\\noextension");
    setDefault("CLSID\\{H}\\InprocServer32", "");
    setText(hkeyClassesRoot, "CLSID\\{I}\\InprocServer32", "ThreadingModel", "Both");
    setDefault("CLSID\\{J}\\InprocServer32", "C:\\Gone\\icons.dll,1");
    setDefault("CLSID\\{K}\\InprocServer32", "%SystemRoot%\\gone.dll");

    const std::string under = "The default key under the key HKEY_CLASSES_ROOT\\";
    EXPECT_EQ(lines(module.Scan()),
              (std::vector<std::string>{
                  "Missing or Invalid Path|CLSID\\{F}\\InprocServer32\\|" + under +
                      "CLSID\\{F}\\InprocServer32\\ contains a bad path C:\\Gone\\server.dll",
                  "Missing or Invalid Path|CLSID\\{F}\\LocalServer32\\|" + under +
                      "CLSID\\{F}\\LocalServer32\\ contains a bad path C:\\Gone\\server.exe",
                  "Missing or Invalid Path|CLSID\\{G}\\LocalServer32\\|" + under +
                      "CLSID\\{G}\\LocalServer32\\ contains a bad path C:\\Gone\\noextension",
                  "Missing or Invalid Path|CLSID\\{H}\\InprocServer32\\|" + under +
                      "CLSID\\{H}\\InprocServer32\\ contains a bad path ",
                  "Missing or Invalid Path|CLSID\\{J}\\InprocServer32\\|" + under +
                      "CLSID\\{J}\\InprocServer32\\ contains a bad path C:\\Gone\\icons.dll",
                  "Missing or Invalid Path|CLSID\\{K}\\InprocServer32\\|" + under +
                      "CLSID\\{K}\\InprocServer32\\ contains a bad path C:\\windows\\gone.dll",
              }));
    EXPECT_EQ(progress.counter(0), "6");
}

TEST_F(CModuleComponetsTest, ReportsOnlyEmptyProxyStubReferences) {
    setDefault("Interface\\{1}\\ProxyStubClsid32", "");
    setDefault("Interface\\{2}\\ProxyStubClsid", "{no such class}");
    setDefault("Interface\\{3}", "IThing");
    setDefault("Interface\\{4}\\ProxyStubClsid", "");
    setDefault("Interface\\{4}\\ProxyStubClsid32", "");

    const std::string missing = " key points to the missing HKEY_CLASSES_ROOT\\CLSID\\";
    EXPECT_EQ(lines(module.Scan()), (std::vector<std::string>{
                                        "Empty referecnce|Interface\\{1}\\ProxyStubClsid32\\|The "
                                        "HKEY_CLASSES_ROOT\\Interface\\{1}\\ProxyStubClsid32\\" +
                                            missing,
                                        "Empty referecnce|Interface\\{4}\\ProxyStubClsid\\|The "
                                        "HKEY_CLASSES_ROOT\\Interface\\{4}\\ProxyStubClsid\\" +
                                            missing,
                                        "Empty referecnce|Interface\\{4}\\ProxyStubClsid32\\|The "
                                        "HKEY_CLASSES_ROOT\\Interface\\{4}\\ProxyStubClsid32\\" +
                                            missing,
                                    }));
}

TEST_F(CModuleComponetsTest, ExaminesTheWin32FileOfTheFirstLocaleOfEveryVersion) {
    setDefault("TypeLib\\{L}\\1.0\\0\\win32", "C:\\Gone\\one.tlb");
    setDefault("TypeLib\\{L}\\1.0\\9\\win32", "C:\\Gone\\other-locale.tlb");
    setDefault("TypeLib\\{L}\\2.0\\0\\win32", "C:\\Gone\\two.tlb");
    setDefault("TypeLib\\{L}\\2.0\\0\\win64", "C:\\Gone\\sixty-four.tlb");
    setDefault("TypeLib\\{M}\\1.0\\0\\win32", "C:\\App\\lib.tlb");
    createKey(hkeyClassesRoot, "TypeLib\\{N}\\1.0\\0\\win64");

    const std::string under = "The default key under the key HKEY_CLASSES_ROOT\\";
    EXPECT_EQ(lines(module.Scan()),
              (std::vector<std::string>{
                  "Missing or Invalid Path|TypeLib\\{L}\\1.0\\0\\win32|" + under +
                      "TypeLib\\{L}\\1.0\\0\\win32 contains a bad path C:\\Gone\\one.tlb",
                  "Missing or Invalid Path|TypeLib\\{L}\\2.0\\0\\win32|" + under +
                      "TypeLib\\{L}\\2.0\\0\\win32 contains a bad path C:\\Gone\\two.tlb",
              }));
}

TEST_F(CModuleComponetsTest, PassesRunInOrderAndShowEveryFourthKeyAfterTheFirst) {
    setDefault("TypeLib\\{L}\\1.0\\0\\win32", "\"C:\\Gone\\lib.tlb\"");
    for (int n = 1; n <= 9; ++n) {
        setDefault("CLSID\\{c" + std::to_string(n) + "}\\InprocServer32", "C:\\Gone\\c.dll");
    }
    for (int n = 1; n <= 5; ++n) {
        setDefault("Interface\\{i" + std::to_string(n) + "}\\ProxyStubClsid32", "");
    }

    const ProblemList found = module.Scan();

    ASSERT_EQ(found.count(), 15u);
    EXPECT_EQ(found[8].primaryName, "CLSID\\{c9}\\InprocServer32\\");
    EXPECT_EQ(found[13].primaryName, "Interface\\{i5}\\ProxyStubClsid32\\");
    EXPECT_EQ(found[14].primaryName, "TypeLib\\{L}\\1.0\\0\\win32");
    // The empty text is the display's reset; a type library shows its normalised file.
    EXPECT_EQ(progress.statusHistory(),
              (std::vector<std::string>{"CLSID\\{c5}\\", "CLSID\\{c9}\\", "Interface\\{i5}\\",
                                        "C:\\Gone\\lib.tlb"}));
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

class CModuleComponetsFixTest : public CModuleComponetsTest {
protected:
    CModuleComponetsFixTest() {
        setDefault("CLSID\\{F}\\InprocServer32", "C:\\Gone\\server.dll");
        setDefault("CLSID\\{G}\\LocalServer32", "C:\\Gone\\server.exe");
        setDefault("CLSID\\{G}\\LocalServer32\\Nested", "keeps its parent");
        setDefault("Interface\\{1}\\ProxyStubClsid32", "");
        setDefault("TypeLib\\{L}\\1.0\\0\\win32", "C:\\Gone\\one.tlb");
        found = test::selectAll(module.Scan());
        EXPECT_EQ(found.size(), 4u);
    }

    bool exists(std::string_view key) {
        return test::keyExists(test.registry(), hkeyClassesRoot, key);
    }

    std::vector<ProblemRecord> found;
};

TEST_F(CModuleComponetsFixTest, DeletesOnlyTheKeyHoldingTheBadEntryAfterSavingBothViews) {
    found[3].selected = 0;

    fix(module, found, true);

    EXPECT_FALSE(exists("CLSID\\{F}\\InprocServer32"));
    EXPECT_TRUE(exists("CLSID\\{F}"));
    EXPECT_TRUE(exists("CLSID\\{G}\\LocalServer32")) << "a key with sub-keys stays";
    // Its record stays listed, unfixed, and is no backup failure.
    EXPECT_EQ(found[1].selected, 0);
    EXPECT_EQ(found[0].selected, 1);
    EXPECT_EQ(module.keptForBackup(), 0u);
    EXPECT_FALSE(exists("Interface\\{1}\\ProxyStubClsid32"));
    EXPECT_TRUE(exists("TypeLib\\{L}\\1.0\\0\\win32"));
    const std::string backup = backupText("com.reg");
    const std::size_t classesView = backup.find("[HKEY_CLASSES_ROOT\\CLSID\\{F}\\InprocServer32]");
    const std::size_t machineView =
        backup.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{F}\\InprocServer32]");
    ASSERT_NE(classesView, std::string::npos) << backup;
    ASSERT_NE(machineView, std::string::npos) << backup;
    EXPECT_LT(classesView, machineView);
    EXPECT_EQ(test::occurrences(backup, "REGEDIT4"), 1u);
    EXPECT_EQ(test::occurrences(backup, "TypeLib"), 0u);
}

TEST_F(CModuleComponetsFixTest, LeavesFixedUnselectedAndForeignRecordsAlone) {
    found[0].entryKind = entrykind::fixed;
    found[1].selected = 0;
    found[2].moduleId = 5;
    found[3].moduleId = 2;
    const std::string folder = (backupFolder / "").string();
    module.setBackupFolder(folder);

    module.Fix(found, true);

    EXPECT_TRUE(exists("CLSID\\{F}\\InprocServer32"));
    EXPECT_TRUE(exists("Interface\\{1}\\ProxyStubClsid32"));
    EXPECT_TRUE(exists("TypeLib\\{L}\\1.0\\0\\win32"));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(CModuleComponetsFixTest, KeepsARecordWhoseKeyCouldNotBeSaved) {
    fixWithBlockedBackup(module, found, "com.reg");

    EXPECT_EQ(module.keptForBackup(), 4u);
    EXPECT_TRUE(exists("CLSID\\{F}\\InprocServer32"));
    EXPECT_TRUE(exists("Interface\\{1}\\ProxyStubClsid32"));
}

} // namespace
} // namespace tolvane
