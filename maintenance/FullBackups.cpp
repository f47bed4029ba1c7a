#include "maintenance/FullBackups.h"

#include "platform/Platform.h"
#include "platform/RegistryEditor.h"
#include "platform/RegistryStorage.h"
#include "platform/base/AsciiText.h"
#include "platform/base/HexText.h"
#include "platform/services/BackupLocation.h"
#include "platform/services/BackupManifest.h"
#include "platform/services/CRegTools.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>
#include <system_error>

namespace tolvane {

namespace {

bool byNameIgnoringCase(const std::string& a, const std::string& b) {
    return asciiLower(a) < asciiLower(b);
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
        if (asciiLower(it->path().extension().string()) == ".reg" && it->is_regular_file(error)) {
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

std::optional<std::chrono::system_clock::time_point>
FullBackups::timeOf(const std::string& folderName) {
    // dd.mm.yyyy hh_mm_ss_mmm
    static constexpr std::string_view shape = "dd.mm.yyyy hh_mm_ss_mmm";
    if (folderName.size() != shape.size()) {
        return std::nullopt;
    }
    for (std::size_t at = 0; at < shape.size(); ++at) {
        const bool digit = std::isdigit(static_cast<unsigned char>(folderName[at])) != 0;
        const bool wanted = std::isalpha(static_cast<unsigned char>(shape[at])) != 0;
        if (digit != wanted || (!wanted && folderName[at] != shape[at])) {
            return std::nullopt;
        }
    }
    const auto number = [&folderName](std::size_t from, std::size_t length) {
        return std::stoi(folderName.substr(from, length));
    };
    const std::chrono::year_month_day day{std::chrono::year(number(6, 4)),
                                          std::chrono::month(static_cast<unsigned>(number(3, 2))),
                                          std::chrono::day(static_cast<unsigned>(number(0, 2)))};
    const int hours = number(11, 2);
    const int minutes = number(14, 2);
    const int seconds = number(17, 2);
    if (!day.ok() || hours > 23 || minutes > 59 || seconds > 60) {
        return std::nullopt;
    }
    return std::chrono::sys_days(day) + std::chrono::hours(hours) + std::chrono::minutes(minutes) +
           std::chrono::seconds(seconds) + std::chrono::milliseconds(number(20, 3));
}

std::size_t FullBackups::countKeys(const std::filesystem::path& regFile) {
    std::ifstream in(regFile, std::ios::binary);
    std::vector<char> chunk(64 * 1024);
    std::size_t keys = 0;
    bool atLineStart = true;
    const auto feed = [&keys, &atLineStart](unsigned unit) {
        if (atLineStart && unit == '[') {
            ++keys;
        }
        atLineStart = unit == '\n';
    };
    bool first = true;
    bool wide = false;
    // The low byte of a UTF-16 unit split across two chunks; negative while there is none.
    int low = -1;
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        std::size_t at = 0;
        if (first) {
            first = false;
            wide = got >= 2 && static_cast<unsigned char>(chunk[0]) == 0xFF &&
                   static_cast<unsigned char>(chunk[1]) == 0xFE;
            at = wide ? 2 : 0;
        }
        for (; at < got; ++at) {
            const auto byte = static_cast<unsigned char>(chunk[at]);
            if (!wide) {
                feed(byte);
            } else if (low < 0) {
                low = byte;
            } else {
                feed(static_cast<unsigned>(low) | (static_cast<unsigned>(byte) << 8U));
                low = -1;
            }
        }
    }
    return keys;
}

std::vector<BackupEntry> FullBackups::list() const {
    const auto here = BackupManifest::current(platform_);
    std::vector<BackupEntry> entries;
    std::error_code error;
    for (std::filesystem::directory_iterator it(root(), error), end; !error && it != end;
         it.increment(error)) {
        std::string name = nameOf(it->path());
        std::error_code ignored;
        // Hidden entries are backups still being written; a folder without a .reg file (an
        // export that never finished) is no backup at all.
        const auto regFiles = name.empty() || name.front() == '.' || !it->is_directory(ignored)
                                  ? std::vector<std::string>()
                                  : regFilesOf(it->path());
        if (regFiles.empty()) {
            continue;
        }
        const auto made = BackupManifest::readFrom(it->path());
        if (made && !made->sameOrigin(here)) {
            continue;
        }
        BackupEntry entry;
        entry.folderName = name;
        entry.displayName = displayNameOf(name);
        entry.made = timeOf(name);
        entry.origin = made ? made->describe() : std::string();
        for (const auto& file : regFiles) {
            // Whole-registry backups are one export named main.reg; fix runs write one file
            // per module.
            if (asciiLower(file) == "main.reg") {
                entry.kind = BackupEntry::Kind::wholeRegistry;
            }
            entry.keys += countKeys(it->path() / file);
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        if (a.made.has_value() != b.made.has_value()) {
            return a.made.has_value();
        }
        if (a.made && *a.made != *b.made) {
            return *a.made > *b.made;
        }
        return byNameIgnoringCase(a.folderName, b.folderName);
    });
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
        const auto folder = root() / (std::string(partialPrefix) + randomHexDigits(12));
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
