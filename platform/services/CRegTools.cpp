#include "platform/services/CRegTools.h"

#include "platform/Autostart.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/RegistryEditor.h"
#include "platform/base/PathText.h"
#include "platform/base/TimeText.h"
#include "platform/regformat/RegFileRoots.h"
#include "platform/services/BackupLocation.h"
#include "platform/services/ExclusiveFile.h"
#include "platform/services/PathChecks.h"
#include "platform/services/RegKey.h"

#include <chrono>
#include <fstream>
#include <istream>
#include <system_error>
#include <vector>

namespace tolvane {

namespace {

bool pathExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

CRegTools::CRegTools(const Platform& platform) : platform_(platform) {}

std::string CRegTools::RootName(HKey root) {
    return std::string(rootKeyName(root));
}

Result<void> CRegTools::ExportKey(const std::filesystem::path& file, HKey root,
                                  std::string_view keyPath) {
    return platform_.editor.exportKey(file, RootName(root) + "\\" + std::string(keyPath));
}

Result<void> CRegTools::ImportRegFile(const std::filesystem::path& file) {
    return platform_.editor.importRegFile(file);
}

Result<void> CRegTools::ExportRegistry(const std::filesystem::path& file) {
    return platform_.editor.exportRegistry(file);
}

bool CRegTools::BackupKey(const std::filesystem::path& backupFile, HKey root,
                          std::string_view keyPath) {
    return backupKeyOutcome(backupFile, root, keyPath) == BackupOutcome::saved;
}

BackupOutcome CRegTools::backupKeyOutcome(const std::filesystem::path& backupFile, HKey root,
                                          std::string_view keyPath) {
    RegKey key;
    const auto opened = RegKey::open(platform_.registry, root, keyPath, key);
    if (opened == winerr::fileNotFound) {
        return BackupOutcome::keyMissing;
    }
    if (opened != winerr::success) {
        return BackupOutcome::failed;
    }

    if (!pathExists(backupFile)) {
        auto exported = ExportKey(backupFile, root, keyPath);
        return exported && pathExists(backupFile) ? BackupOutcome::saved : BackupOutcome::failed;
    }

    // The export goes to a file of our own beside the backup: a shared temporary folder and a
    // guessable name would let another process read its keys into our backup (or ours into
    // its own).
    auto temporary = ExclusiveFile::create(folderOf(backupFile), "export", ".tmp");
    if (!temporary) {
        return BackupOutcome::failed;
    }
    auto exported = ExportKey(temporary->path(), root, keyPath);
    key.close();
    bool appended = false;
    if (exported) {
        std::ifstream source(temporary->path(), std::ios::binary);
        appended = source && SeekToChar(source, '[') && AppendRegBody(source, backupFile);
    }
    return appended ? BackupOutcome::saved : BackupOutcome::failed;
}

bool CRegTools::SeekToChar(std::istream& file, char wanted) {
    char c = 0;
    while (file.get(c)) {
        if (c == wanted) {
            file.unget();
            return static_cast<bool>(file);
        }
    }
    return false;
}

bool CRegTools::AppendRegBody(std::istream& source, const std::filesystem::path& target) {
    std::error_code error;
    const auto originalSize = std::filesystem::file_size(target, error);
    if (error) {
        return false;
    }
    std::ofstream out(target, std::ios::binary | std::ios::app);
    if (!out) {
        return false;
    }
    std::vector<char> block(std::size_t{1} << 16);
    for (;;) {
        source.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto count = source.gcount();
        if (count > 0 && !out.write(block.data(), count)) {
            break;
        }
        if (!source) {
            break;
        }
    }
    out.close();
    if (out.fail() || source.bad()) {
        std::filesystem::resize_file(target, originalSize, error);
        return false;
    }
    return true;
}

std::string CRegTools::MakeTimeStampName() {
    return backupTimeStamp(platform_.clock.now());
}

std::filesystem::path CRegTools::MakeFixBackupFolder() {
    const auto backupRoot = BackupLocation::rootOf(platform_);
    auto time = platform_.clock.now();
    // Two runs within one millisecond would share a name: take the next free millisecond.
    while (pathExists(backupRoot / backupTimeStamp(time))) {
        time += std::chrono::milliseconds(1);
    }
    return backupRoot / backupTimeStamp(time) / "";
}

bool CRegTools::HasDrivePath(std::string& text, std::string& out) {
    return ::tolvane::HasDrivePath(text, out);
}

bool CRegTools::IsAutostartSet() {
    return platform_.autostart.IsAutostartSet();
}

void CRegTools::SetAutostart(bool enable) {
    platform_.autostart.SetAutostart(enable);
}

} // namespace tolvane
