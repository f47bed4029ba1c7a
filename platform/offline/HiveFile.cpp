#include "platform/offline/HiveFile.h"

#include "platform/base/FileDescriptor.h"
#include "platform/services/ExclusiveFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <hivex.h>
#include <unistd.h>

namespace tolvane::offline {
namespace {

// Hives beyond this are no registry Windows would load.
constexpr std::uint64_t maxHiveSize = std::uint64_t{2} << 30;

std::uint32_t littleEndian32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

Result<HiveFile::BaseBlock> baseBlockOf(int fd, const std::string& name) {
    std::array<unsigned char, 12> head{};
    const ssize_t got = ::pread(fd, head.data(), head.size(), 0);
    if (got != static_cast<ssize_t>(head.size()) || std::memcmp(head.data(), "regf", 4) != 0) {
        return makeError(name + ": not a registry hive (no \"regf\" base block)");
    }
    return HiveFile::BaseBlock{littleEndian32(head.data() + 4), littleEndian32(head.data() + 8)};
}

Result<void> syncFile(const std::filesystem::path& file) {
    FileDescriptor out(::open(file.c_str(), O_RDWR | O_CLOEXEC));
    if (!out.valid() || ::fsync(out.get()) != 0) {
        return makeError(file.string() + ": cannot flush to disk: " + std::strerror(errno));
    }
    if (!out.close()) {
        return makeError(file.string() + ": cannot close: " + std::strerror(errno));
    }
    return {};
}

void syncFolder(const std::filesystem::path& folder) {
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) {
        ::fsync(dir.get());
    }
}

} // namespace

void HiveFile::Closer::operator()(hive_h* hive) const {
    hivex_close(hive);
}

HiveFile::HiveFile(std::filesystem::path path, std::unique_ptr<hive_h, Closer> hive,
                   BaseBlock baseBlock, FileStamp stamp)
    : path_(std::move(path)), hive_(std::move(hive)), baseBlock_(baseBlock), stamp_(stamp) {}

HiveFile::~HiveFile() = default;

Result<HiveFile::BaseBlock> HiveFile::readBaseBlock(const std::filesystem::path& file) {
    auto in = FileDescriptor::openRegularFile(file, maxHiveSize);
    if (!in) {
        return in.error();
    }
    return baseBlockOf(in->get(), file.string());
}

Result<std::unique_ptr<HiveFile>> HiveFile::open(const std::filesystem::path& file) {
    const std::string name = file.string();
    auto in = FileDescriptor::openRegularFile(file, maxHiveSize);
    if (!in) {
        return in.error();
    }
    auto baseBlock = baseBlockOf(in->get(), name);
    if (!baseBlock) {
        return baseBlock.error();
    }
    const FileStamp before = FileStamp::ofDescriptor(in->get());
    // Opened for writing, hivex copies the whole file into memory: a later change of the file
    // on disk cannot reach what we hold.
    const std::string ownDescriptor = "/proc/self/fd/" + std::to_string(in->get());
    std::unique_ptr<hive_h, Closer> hive(hivex_open(ownDescriptor.c_str(), HIVEX_OPEN_WRITE));
    if (!hive) {
        return makeError(name + ": hivex cannot read the hive: " + std::strerror(errno));
    }
    const FileStamp after = FileStamp::ofDescriptor(in->get());
    if (!(before == after)) {
        return makeError(name + ": the hive changed while it was read; try again");
    }
    return std::unique_ptr<HiveFile>(new HiveFile(file, std::move(hive), *baseBlock, after));
}

bool HiveFile::changedOnDisk() const {
    return !(FileStamp::ofPath(path_) == stamp_);
}

Result<void> HiveFile::commit(const Verifier& verify, const FailureHook& failAt) {
    const std::filesystem::path folder = path_.parent_path();
    // What a commit killed before its rename left behind (changes are made under the change
    // lock, so no other commit of ours is under way).
    const std::string ours = path_.filename().string() + std::string(temporaryInfix);
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(ours) && name.ends_with(".tmp")) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
    auto temporary = ExclusiveFile::create(
        folder, path_.filename().string() + std::string(temporaryInfix), ".tmp");
    if (!temporary) {
        return temporary.error();
    }
    const std::filesystem::path& written = temporary->path();
    if (hivex_commit(hive_.get(), written.c_str(), 0) != 0) {
        return makeError(path_.string() + ": hivex cannot write the hive to " + written.string() +
                         ": " + std::strerror(errno));
    }
    if (failAt && failAt(CommitStep::written)) {
        return makeError(path_.string() + ": commit stopped after writing " + written.string());
    }
    {
        std::unique_ptr<hive_h, Closer> reread(hivex_open(written.c_str(), 0));
        if (!reread) {
            return makeError(written.string() +
                             ": the written hive does not open again: " + std::strerror(errno));
        }
        if (auto checked = verify ? verify(*reread) : Result<void>(); !checked) {
            return makeError(path_.string() + ": the written hive does not hold the changes (" +
                             checked.message() + "); the hive was left as it was");
        }
    }
    if (failAt && failAt(CommitStep::verified)) {
        return makeError(path_.string() + ": commit stopped after checking " + written.string());
    }
    if (auto synced = syncFile(written); !synced) {
        return synced;
    }
    if (failAt && failAt(CommitStep::synced)) {
        return makeError(path_.string() + ": commit stopped before the rename");
    }
    const FileStamp stamp = FileStamp::ofPath(written);
    if (::rename(written.c_str(), path_.c_str()) != 0) {
        return makeError(path_.string() + ": cannot replace the hive: " + std::strerror(errno));
    }
    temporary->keep();
    syncFolder(folder);
    stamp_ = stamp;
    modified_ = false;
    // hivex marks the written hive clean.
    if (auto block = readBaseBlock(path_)) {
        baseBlock_ = *block;
    }
    return {};
}

} // namespace tolvane::offline
