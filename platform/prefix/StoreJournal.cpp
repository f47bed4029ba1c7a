#include "platform/prefix/StoreJournal.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/FileStamp.h"
#include "platform/base/PathText.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace tolvane::prefix {
namespace {

constexpr std::string_view journalHeader = "TOLVANE STORE JOURNAL 1";
constexpr std::string_view journalEnd = "end";
// Journals are a few lines; anything larger is not one of ours.
constexpr std::uint64_t maxJournalSize = 1 << 20;

bool fitsOnALine(const std::filesystem::path& path) {
    const std::string text = path.string();
    return text.find_first_of("\t\n") == std::string::npos;
}

// A new name beside `target` for a second link to its current version.
std::filesystem::path oldNameFor(const std::filesystem::path& target) {
    return folderOf(target) / (std::string(StoreJournal::oldPrefix) + target.filename().string() +
                               "-" + std::to_string(::getpid()) + ".tmp");
}

// Keeps the current version of `target` under `old`: a hard link where the file system has
// them, else a flushed copy.
Result<void> keepOldVersion(const std::filesystem::path& target, const std::filesystem::path& old) {
    ::unlink(old.c_str());
    if (::link(target.c_str(), old.c_str()) == 0) {
        return {};
    }
    std::error_code error;
    if (!std::filesystem::copy_file(target, old, error)) {
        return makeError("cannot keep the old version of " + target.string() + ": " +
                         error.message());
    }
    FileDescriptor copy(::open(old.c_str(), O_RDONLY | O_CLOEXEC));
    if (!copy.valid() || ::fsync(copy.get()) != 0) {
        return makeError("cannot keep the old version of " + target.string() + ": " +
                         std::strerror(errno));
    }
    return {};
}

bool isOurLeftover(const std::string& name) {
    const auto ours = [&](std::string_view prefix) {
        return name.starts_with(prefix) && name.ends_with(".tmp");
    };
    return ours(AtomicFileWriter::temporaryPrefix) || ours(StoreJournal::oldPrefix);
}

} // namespace

StoreJournal::StoreJournal(std::filesystem::path prefix, AtomicFileWriter writer)
    : prefix_(std::move(prefix)), writer_(std::move(writer)) {}

void StoreJournal::syncFolder(const std::filesystem::path& folder) const {
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid()) {
        ::fsync(directory.get());
    }
}

Result<std::vector<StoreJournal::Entry>>
StoreJournal::begin(const std::vector<AtomicFileWriter::Prepared*>& files) const {
    std::vector<Entry> entries;
    std::string text = std::string(journalHeader) + "\n";
    const auto dropOldVersions = [&entries] {
        for (const Entry& entry : entries) {
            if (!entry.old.empty()) {
                ::unlink(entry.old.c_str());
            }
        }
    };
    for (const AtomicFileWriter::Prepared* file : files) {
        Entry entry{file->target(), file->temporary(), {}, file->stamp().inode};
        if (!fitsOnALine(entry.target) || !fitsOnALine(entry.temporary)) {
            dropOldVersions();
            return makeError("cannot save " + entry.target.string() +
                             ": its path holds a tab or a line break");
        }
        if (FileStamp::ofPath(entry.target).exists) {
            entry.old = oldNameFor(entry.target);
            if (auto kept = keepOldVersion(entry.target, entry.old); !kept) {
                dropOldVersions();
                return kept.error();
            }
        }
        text += entry.target.string() + "\t" + entry.temporary.string() + "\t" +
                entry.old.string() + "\t" + std::to_string(entry.newInode) + "\n";
        entries.push_back(std::move(entry));
    }
    text += std::string(journalEnd) + "\n";
    if (auto written = writer_.write(journalPath(), text); !written) {
        dropOldVersions();
        return written.error();
    }
    return entries;
}

void StoreJournal::finish(const std::vector<Entry>& entries) const {
    // The journal's removal is the moment the store is complete.
    ::unlink(journalPath().c_str());
    syncFolder(prefix_);
    for (const Entry& entry : entries) {
        if (!entry.old.empty()) {
            ::unlink(entry.old.c_str());
        }
    }
}

bool StoreJournal::undo(const std::vector<Entry>& entries) const {
    bool complete = true;
    std::set<std::filesystem::path> folders{prefix_};
    for (const Entry& entry : entries) {
        folders.insert(folderOf(entry.target));
        if (!entry.old.empty()) {
            // The old version goes back whether or not the new one had taken its place.
            if (::rename(entry.old.c_str(), entry.target.c_str()) != 0 && errno != ENOENT) {
                complete = false;
            } else {
                // Left over when the target still was the old version (rename does nothing).
                ::unlink(entry.old.c_str());
            }
        } else if (const FileStamp now = FileStamp::ofPath(entry.target);
                   now.exists && now.inode == entry.newInode) {
            complete = ::unlink(entry.target.c_str()) == 0 && complete;
        }
        ::unlink(entry.temporary.c_str());
    }
    for (const auto& folder : folders) {
        syncFolder(folder);
    }
    if (complete) {
        ::unlink(journalPath().c_str());
        syncFolder(prefix_);
    }
    return complete;
}

Result<void> StoreJournal::recover() const {
    if (FileStamp::ofPath(journalPath()).exists) {
        auto opened = FileDescriptor::openRegularFile(journalPath(), maxJournalSize);
        if (!opened) {
            return opened.error();
        }
        std::string text;
        std::string piece(4096, '\0');
        ssize_t got = 0;
        while ((got = ::read(opened->get(), piece.data(), piece.size())) > 0 ||
               (got < 0 && errno == EINTR)) {
            text.append(piece.data(), static_cast<std::size_t>(got > 0 ? got : 0));
        }
        std::vector<Entry> entries;
        bool complete = false;
        std::size_t pos = 0;
        std::size_t lineNumber = 0;
        while (pos < text.size()) {
            const std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) {
                break;
            }
            const std::string_view line(text.data() + pos, end - pos);
            pos = end + 1;
            if (lineNumber++ == 0) {
                if (line != journalHeader) {
                    break;
                }
                continue;
            }
            if (line == journalEnd) {
                complete = true;
                break;
            }
            std::vector<std::string> fields;
            std::size_t start = 0;
            for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
                 tab = line.find('\t', start)) {
                fields.emplace_back(line.substr(start, tab - start));
                start = tab + 1;
            }
            fields.emplace_back(line.substr(start));
            if (fields.size() != 4 || fields[0].empty() || fields[1].empty()) {
                break;
            }
            std::uint64_t inode = 0;
            const char* last = fields[3].data() + fields[3].size();
            const auto parsed = std::from_chars(fields[3].data(), last, inode);
            if (parsed.ec != std::errc() || parsed.ptr != last) {
                break;
            }
            entries.push_back({fields[0], fields[1], fields[2], inode});
        }
        // The journal is replaced atomically, so an incomplete one was never ours to act on.
        if (complete && !undo(entries)) {
            return makeError("an interrupted save of the Wine prefix " + prefix_.string() +
                             " could not be undone; see " + journalPath().string());
        }
        if (!complete) {
            ::unlink(journalPath().c_str());
        }
    }
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(prefix_, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (isOurLeftover(it->path().filename().string()) && it->is_regular_file(error)) {
            ::unlink(it->path().c_str());
        }
    }
    return {};
}

} // namespace tolvane::prefix
