#include "tests/modules/ModuleFixture.h"

#include "platform/services/RegKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TempDir.h"

namespace tolvane::test {

ModuleFixture::ModuleFixture() : backupFolder(test.workingDirectory() / "Backup" / "fix run") {
    owner.bindTargets(&progress);
    progress.clearHistory();
    std::filesystem::create_directories(backupFolder);
}

void ModuleFixture::reg(std::string_view sections) {
    test.importReg("REGEDIT4\n\n" + std::string(sections));
}

void ModuleFixture::setValue(HKey root, std::string_view keyPath, std::string_view name,
                             std::uint32_t type, std::string_view data) {
    RegKey key;
    ASSERT_EQ(RegKey::create(test.registry(), root, keyPath, key), winerr::success);
    ASSERT_EQ(test.registry().RegSetValueExA(key.get(), name, type, data), winerr::success);
}

void ModuleFixture::setText(HKey root, std::string_view keyPath, std::string_view name,
                            std::string_view text, std::uint32_t type) {
    setValue(root, keyPath, name, type, std::string(text) + std::string(1, '\0'));
}

void ModuleFixture::createKey(HKey root, std::string_view keyPath) {
    RegKey key;
    ASSERT_EQ(RegKey::create(test.registry(), root, keyPath, key), winerr::success);
}

bool ModuleFixture::keyExists(HKey root, std::string_view keyPath) {
    return tolvane::test::keyExists(test.registry(), root, keyPath);
}

bool ModuleFixture::valueExists(std::string_view keyPath, std::string_view name) {
    RegKey key;
    if (RegKey::open(test.registry(), hkeyLocalMachine, keyPath, key) != winerr::success) {
        return false;
    }
    return test.registry().RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr) ==
           winerr::success;
}

std::optional<std::string> ModuleFixture::valueText(HKey root, std::string_view keyPath,
                                                    std::string_view name) {
    std::uint32_t type = 0;
    auto data = valueBytes(root, keyPath, name, &type);
    if (data && regtype::isString(type) && !data->empty() && data->back() == '\0') {
        data->pop_back();
    }
    return data;
}

std::optional<std::string> ModuleFixture::valueBytes(HKey root, std::string_view keyPath,
                                                     std::string_view name,
                                                     std::uint32_t* typeOut) {
    RegKey key;
    if (RegKey::open(test.registry(), root, keyPath, key) != winerr::success) {
        return std::nullopt;
    }
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (test.registry().RegQueryValueExA(key.get(), name, &type, nullptr, &size) !=
        winerr::success) {
        return std::nullopt;
    }
    std::string data;
    size += 1;
    if (test.registry().RegQueryValueExA(key.get(), name, &type, &data, &size) != winerr::success) {
        return std::nullopt;
    }
    if (typeOut != nullptr) {
        *typeOut = type;
    }
    return data;
}

std::vector<ProblemRecord> ModuleFixture::scanAndSelect(CModule& module) {
    module.setStopToken(progress.stopToken());
    return selectAll(module.Scan());
}

std::vector<std::string> ModuleFixture::primaryNames(const std::vector<ProblemRecord>& records) {
    std::vector<std::string> names;
    for (const auto& record : records) {
        names.push_back(record.primaryName);
    }
    return names;
}

ProblemRecord ModuleFixture::found(int moduleId, std::string problemName, std::string description,
                                   std::string primaryName, std::string secondaryName) {
    return {moduleId,
            entrykind::ordinary,
            std::move(problemName),
            std::move(description),
            std::move(primaryName),
            std::move(secondaryName),
            1};
}

void ModuleFixture::fix(CModule& module, std::vector<ProblemRecord>& records, bool backup) {
    module.setBackupFolder((backupFolder / "").string());
    module.clearKeptForBackup();
    EXPECT_TRUE(module.Fix(records, backup));
}

void ModuleFixture::fixWithBlockedBackup(CModule& module, std::vector<ProblemRecord>& records,
                                         std::string_view fileName) {
    std::filesystem::remove(backupFolder / fileName);
    std::filesystem::create_directory(backupFolder / fileName);
    std::size_t wanted = 0;
    for (const auto& record : records) {
        wanted += record.moduleId == module.moduleId() && record.selected != 0 &&
                  record.entryKind == entrykind::ordinary;
    }
    const auto before = RegistrySnapshot::of(test.registry(), hkeyLocalMachine);

    fix(module, records, true);

    EXPECT_EQ(before.firstDifference(RegistrySnapshot::of(test.registry(), hkeyLocalMachine)), "");
    EXPECT_EQ(module.keptForBackup(), wanted);
    for (const auto& record : records) {
        EXPECT_FALSE(record.moduleId == module.moduleId() && record.selected != 0)
            << record.primaryName << " was not kept";
    }
}

std::string ModuleFixture::backupText(std::string_view fileName) const {
    return backupExists(fileName) ? readFile(backupFolder / fileName) : std::string();
}

bool ModuleFixture::backupExists(std::string_view fileName) const {
    return std::filesystem::is_regular_file(backupFolder / fileName);
}

} // namespace tolvane::test

namespace tolvane {

void PrintTo(const ProblemRecord& record, std::ostream* out) {
    *out << "{module " << record.moduleId << ", kind " << record.entryKind << ", \""
         << record.problemName << "\", \"" << record.description << "\", \"" << record.primaryName
         << "\", \"" << record.secondaryName << "\", selected " << record.selected << "}";
}

} // namespace tolvane
