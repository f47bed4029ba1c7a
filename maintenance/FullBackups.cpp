#include "maintenance/FullBackups.h"

#include "platform/CRegTools.h"
#include "platform/Platform.h"
#include "platform/RegistryEditor.h"
#include "platform/RegistryStorage.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace tolvane {

namespace {

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool byNameIgnoringCase(const std::string& a, const std::string& b) {
    return lowerAscii(a) < lowerAscii(b);
}

std::string nameOf(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.filename().string();
#else
    return path.filename().native();
#endif
}

} // namespace

FullBackups::FullBackups(const Platform& platform) : platform_(platform) {}

std::filesystem::path FullBackups::root() const {
    return platform_.workingDirectory / "Backup";
}

std::string FullBackups::displayNameOf(const std::string& folderName) {
    std::string display = folderName;
    std::replace(display.begin(), display.end(), '_', ':');
    return display;
}

std::vector<BackupEntry> FullBackups::list() const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(root(), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(nameOf(it->path()));
    }
    std::sort(names.begin(), names.end(), byNameIgnoringCase);
    std::vector<BackupEntry> entries;
    entries.reserve(names.size());
    for (auto& name : names) {
        entries.push_back({name, displayNameOf(name)});
    }
    return entries;
}

Result<std::filesystem::path> FullBackups::entryPath(const std::string& folderName) const {
    const std::filesystem::path name(folderName);
    if (folderName.empty() || folderName == "." || folderName == ".." || name.has_parent_path() ||
        name.has_root_path() || folderName.find_first_of("/\\") != std::string::npos) {
        return makeError("\"" + folderName + "\" is not a backup in " + root().string());
    }
    return root() / name;
}

Result<std::string> FullBackups::create() {
    std::error_code error;
    std::filesystem::create_directories(root(), error);
    const auto folder = CRegTools(platform_).MakeFixBackupFolder().parent_path();
    const std::string folderName = nameOf(folder);
    if (!std::filesystem::create_directory(folder, error)) {
        return makeError("cannot create the backup folder " + folder.string() + ": " +
                         error.message());
    }
    const auto exported = platform_.editor.exportRegistry(folder / "main.reg");
    if (!exported) {
        std::filesystem::remove_all(folder, error);
        return makeError("the registry could not be exported: " + exported.message());
    }
    return folderName;
}

Result<void> FullBackups::restore(const std::string& folderName) {
    const auto folder = entryPath(folderName);
    if (!folder) {
        return folder.error();
    }
    std::error_code error;
    if (!std::filesystem::is_directory(*folder, error)) {
        return makeError("the backup " + folderName + " does not exist in " + root().string());
    }
    if (auto writable = platform_.storage.ensureWritable(); !writable) {
        return writable.error();
    }
    std::vector<std::string> files;
    for (std::filesystem::directory_iterator it(*folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = nameOf(it->path());
        if (lowerAscii(it->path().extension().string()) == ".reg" && it->is_regular_file(error)) {
            files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end(), byNameIgnoringCase);
    if (files.empty()) {
        return makeError("the backup " + folderName + " holds no .reg file");
    }
    std::string failure;
    for (const auto& file : files) {
        if (auto imported = platform_.editor.importRegFile(*folder / file); !imported) {
            failure = file + ": " + imported.message();
            break;
        }
    }
    // What was imported is stored either way, so the files match what the program shows.
    const auto saved = platform_.storage.save();
    if (!failure.empty()) {
        return makeError("the restore stopped at " + failure);
    }
    return saved;
}

Result<void> FullBackups::remove(const std::string& folderName) {
    const auto folder = entryPath(folderName);
    if (!folder) {
        return folder.error();
    }
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(*folder, error))) {
        return makeError("the backup " + folderName + " does not exist in " + root().string());
    }
    std::filesystem::remove_all(*folder, error);
    if (error) {
        return makeError("cannot delete " + folder->string() + ": " + error.message());
    }
    return {};
}

} // namespace tolvane
