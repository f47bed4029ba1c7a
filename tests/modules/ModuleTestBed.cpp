#include "tests/modules/ModuleTestBed.h"

#include "platform/services/RegKey.h"

#include <algorithm>
#include <stdexcept>

namespace tolvane::test {

ModuleTestBed::ModuleTestBed() {
    modules.bindTargets(&progress);
}

void ModuleTestBed::createKey(HKey root, std::string_view path) {
    RegKey key;
    if (RegKey::create(registry(), root, path, key) != winerr::success) {
        throw std::runtime_error("cannot create test key " + std::string(path));
    }
}

void ModuleTestBed::setValue(HKey root, std::string_view path, std::string_view name,
                             std::uint32_t type, std::string_view data) {
    RegKey key;
    if (RegKey::create(registry(), root, path, key) != winerr::success ||
        registry().RegSetValueExA(key.get(), name, type, data) != winerr::success) {
        throw std::runtime_error("cannot set test value " + std::string(name));
    }
}

std::optional<std::string> ModuleTestBed::valueText(HKey root, std::string_view path,
                                                    std::string_view name) {
    RegKey key;
    if (RegKey::open(registry(), root, path, key) != winerr::success) {
        return std::nullopt;
    }
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (registry().RegQueryValueExA(key.get(), name, &type, nullptr, &size) != winerr::success) {
        return std::nullopt;
    }
    std::string data;
    size += 1;
    if (registry().RegQueryValueExA(key.get(), name, &type, &data, &size) != winerr::success) {
        return std::nullopt;
    }
    if (regtype::isString(type) && !data.empty() && data.back() == '\0') {
        data.pop_back();
    }
    return data;
}

std::string ModuleTestBed::makeBackupFolder() {
    const auto folder =
        test.workingDirectory() / "Backup" / ("fix" + std::to_string(++backupFolders_)) / "";
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string ModuleTestBed::makeUnwritableBackupFolder(std::string_view backupFileName) {
    const std::string folder = makeBackupFolder();
    std::filesystem::create_directory(std::filesystem::path(folder) / backupFileName);
    return folder;
}

std::vector<std::string> fieldOf(const ProblemList& found, std::string ProblemRecord::*field) {
    std::vector<std::string> texts;
    for (const ProblemRecord& record : found) {
        texts.push_back(record.*field);
    }
    return texts;
}

std::vector<std::string> sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

} // namespace tolvane::test
