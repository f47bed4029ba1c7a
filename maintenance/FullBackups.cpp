#include "maintenance/FullBackups.h"

#include "platform/BackupLocation.h"
#include "platform/BackupManifest.h"
#include "platform/CRegTools.h"
#include "platform/Platform.h"
#include "platform/RegistryEditor.h"
#include "platform/RegistryStorage.h"

#include <algorithm>
#include <cctype>
#include <random>
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

std::vector<std::string> regFilesOf(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (lowerAscii(it->path().extension().string()) == ".reg" && it->is_regular_file(error)) {
            files.push_back(nameOf(it->path()));
        }
    }
    std::sort(files.begin(), files.end(), byNameIgnoringCase);
    return files;
}

// The latest change to the folder or anything directly in it.
std::filesystem::file_time_type lastWrite(const std::filesystem::path& folder) {
    std::error_code error;
    auto latest = std::filesystem::last_write_time(folder, error);
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        const auto time = it->is_directory(ignored)
                              ? lastWrite(it->path())
                              : std::filesystem::last_write_time(it->path(), ignored);
        if (!ignored) {
            latest = std::max(latest, time);
        }
    }
    return latest;
}

std::string randomHex() {
    static constexpr char digits[] = "0123456789abcdef";
    std::random_device random;
    std::string text;
    for (int i = 0; i < 12; ++i) {
        text += digits[random() & 0xF];
    }
    return text;
}

} // namespace

FullBackups::FullBackups(const Platform& platform) : platform_(platform) {}

std::filesystem::path FullBackups::root() const {
    return BackupLocation::rootOf(platform_);
}

std::string FullBackups::displayNameOf(const std::string& folderName) {
    std::string display = folderName;
    std::replace(display.begin(), display.end(), '_', ':');
    return display;
}

std::vector<BackupEntry> FullBackups::list() const {
    const auto here = BackupManifest::current(platform_);
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(root(), error), end; !error && it != end;
         it.increment(error)) {
        std::string name = nameOf(it->path());
        std::error_code ignored;
        // Hidden entries are backups still being written; a folder without a .reg file (an
        // export that never finished) is no backup at all.
        if (name.empty() || name.front() == '.' || !it->is_directory(ignored) ||
            regFilesOf(it->path()).empty()) {
            continue;
        }
        if (const auto made = BackupManifest::readFrom(it->path());
            made && !made->sameOrigin(here)) {
            continue;
        }
        names.push_back(std::move(name));
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
    if (folderName.empty() || folderName.front() == '.' || name.has_parent_path() ||
        name.has_root_path() || folderName.find_first_of("/\\") != std::string::npos) {
        return makeError("\"" + folderName + "\" is not a backup in " + root().string());
    }
    return root() / name;
}

Result<std::filesystem::path> FullBackups::makePartialFolder() const {
    std::error_code error;
    std::filesystem::create_directories(root(), error);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const auto folder = root() / (std::string(partialPrefix) + randomHex());
        if (std::filesystem::create_directory(folder, error)) {
            return folder;
        }
        if (error) {
            break;
        }
    }
    return makeError("cannot create a backup folder in " + root().string() +
                     (error ? ": " + error.message() : std::string()));
}

Result<std::string> FullBackups::publish(const std::filesystem::path& partial) const {
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto folder = CRegTools(platform_).MakeFixBackupFolder().parent_path();
        // Renaming onto a folder another process just made fails: take the next name.
        std::filesystem::rename(partial, folder, error);
        if (!error) {
            return nameOf(folder);
        }
        if (std::filesystem::exists(folder)) {
            continue;
        }
        break;
    }
    return makeError("cannot name the backup folder in " + root().string() + ": " +
                     error.message());
}

Result<std::string> FullBackups::create() {
    removeStale();
    auto partial = makePartialFolder();
    if (!partial) {
        return partial.error();
    }
    std::error_code error;
    const auto fail = [&](const std::string& message) -> Result<std::string> {
        std::filesystem::remove_all(*partial, error);
        return makeError(message);
    };
    if (platform_.storage.keepsFiles()) {
        if (auto kept = platform_.storage.keepFiles(*partial / filesFolder); !kept) {
            return fail(kept.message());
        }
    }
    if (auto exported = platform_.editor.exportRegistry(*partial / "main.reg"); !exported) {
        return fail("the registry could not be exported: " + exported.message());
    }
    if (auto recorded = BackupManifest::current(platform_).writeTo(*partial); !recorded) {
        return fail(recorded.message());
    }
    auto published = publish(*partial);
    if (!published) {
        return fail(published.message());
    }
    return published;
}

std::optional<std::string> FullBackups::otherOrigin(const std::string& folderName) const {
    const auto folder = entryPath(folderName);
    if (!folder) {
        return std::nullopt;
    }
    const auto made = BackupManifest::readFrom(*folder);
    if (!made || made->sameOrigin(BackupManifest::current(platform_))) {
        return std::nullopt;
    }
    return made->describe();
}

Result<void> FullBackups::restore(const std::string& folderName, bool allowOtherOrigin) {
    const auto folder = entryPath(folderName);
    if (!folder) {
        return folder.error();
    }
    std::error_code error;
    if (!std::filesystem::is_directory(*folder, error)) {
        return makeError("the backup " + folderName + " does not exist in " + root().string());
    }
    if (const auto other = otherOrigin(folderName); other && !allowOtherOrigin) {
        return makeError("the backup " + folderName + " was made from " + *other + ", not from " +
                         BackupManifest::current(platform_).describe());
    }
    if (auto writable = platform_.storage.ensureWritable(); !writable) {
        return writable.error();
    }
    const auto kept = *folder / filesFolder;
    if (platform_.storage.keepsFiles() && std::filesystem::is_directory(kept, error)) {
        return platform_.storage.restoreFiles(kept);
    }
    const auto files = regFilesOf(*folder);
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

std::size_t FullBackups::removeStale(std::chrono::seconds idle) {
    std::vector<std::filesystem::path> stale;
    std::error_code error;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (std::filesystem::directory_iterator it(root(), error), end; !error && it != end;
         it.increment(error)) {
        if (nameOf(it->path()).rfind(partialPrefix, 0) == 0 && now - lastWrite(it->path()) > idle) {
            stale.push_back(it->path());
        }
    }
    std::size_t removed = 0;
    for (const auto& folder : stale) {
        std::error_code ignored;
        removed += std::filesystem::remove_all(folder, ignored) > 0 ? 1 : 0;
    }
    return removed;
}

Result<std::size_t> FullBackups::importLegacy(const std::filesystem::path& legacy) {
    std::error_code error;
    if (!std::filesystem::is_directory(legacy, error)) {
        return makeError(legacy.string() + " is not a folder");
    }
    const auto here = BackupManifest::current(platform_);
    std::size_t imported = 0;
    for (std::filesystem::directory_iterator it(legacy, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = nameOf(it->path());
        std::error_code ignored;
        if (name.empty() || name.front() == '.' || !it->is_directory(ignored) ||
            regFilesOf(it->path()).empty() || std::filesystem::exists(root() / name, ignored)) {
            continue;
        }
        if (const auto made = BackupManifest::readFrom(it->path());
            made && !made->sameOrigin(here)) {
            continue;
        }
        auto partial = makePartialFolder();
        if (!partial) {
            return partial.error();
        }
        std::filesystem::copy(it->path(), *partial, std::filesystem::copy_options::recursive,
                              ignored);
        if (!ignored) {
            if (auto recorded = here.writeTo(*partial); !recorded) {
                std::filesystem::remove_all(*partial, ignored);
                return recorded.error();
            }
            std::filesystem::rename(*partial, root() / name, ignored);
        }
        if (ignored) {
            std::filesystem::remove_all(*partial, error);
            return makeError("cannot copy " + it->path().string() + " to " + root().string() +
                             ": " + ignored.message());
        }
        ++imported;
    }
    return imported;
}

} // namespace tolvane
