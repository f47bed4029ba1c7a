#pragma once

#include "platform/RegistryGateway.h"
#include "platform/Result.h"
#include "platform/prefix/AtomicFileWriter.h"
#include "platform/prefix/RegistryBranchFiles.h"
#include "platform/prefix/RegistryHandleTable.h"
#include "platform/prefix/RegistryTree.h"
#include "platform/prefix/RegistryWalkCache.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::prefix {

// The registry gateway over the engine's own tree, behaving as the Win32 API does under Wine 8:
// HKEY_LOCAL_MACHINE = \REGISTRY\Machine, HKEY_USERS = \REGISTRY\User, HKEY_CURRENT_USER =
// \REGISTRY\User\S-1-5-21-0-0-0-1000, HKEY_CLASSES_ROOT = HKLM\Software\Classes (no merge with
// the user's classes), HKEY_CURRENT_CONFIG = HKLM\System\CurrentControlSet\Hardware
// Profiles\Current. Every call takes one lock, so a worker may change the registry while
// another thread reads it. The handles, the memory of the last walk and the files behind the
// branches are kept by parts of their own, all under that lock.
class WineRegistry : public RegistryGateway {
public:
    // An empty registry that lives in memory only.
    WineRegistry();
    explicit WineRegistry(std::unique_ptr<RegistryTree> tree);
    ~WineRegistry() override;

    // The registry of a prefix from its system.reg, user.reg and userdef.reg. A missing or
    // malformed file gives a one-line error naming the file (and line).
    static Result<std::unique_ptr<WineRegistry>> openPrefix(const std::filesystem::path& prefix);
    // A registry file of the user's own mounted as HKEY_CURRENT_USER; a missing file is an
    // empty registry that is created by the first save.
    static Result<std::unique_ptr<WineRegistry>> openUserFile(const std::filesystem::path& file);

    // Writes each changed branch that has a file, each one atomically. With reencodeValues
    // every value is written from its bytes instead of its file text. Every file is written
    // before the first is replaced, so a failure while writing replaces none.
    Result<void> save(bool reencodeValues = false);
    bool hasUnsavedChanges() const;
    // The file behind a branch (empty when it lives in memory only).
    std::filesystem::path fileOf(RegistryTree::Branch branch) const;
    // The version of that file that the tree holds: as read, or as last saved.
    FileStamp stampOf(RegistryTree::Branch branch) const;
    // How files are replaced; tests hand in a writer that fails.
    void setFileWriter(AtomicFileWriter writer);
    AtomicFileWriter fileWriter() const;

    // The new file of a changed branch, written and flushed, not yet in place.
    using PendingFile = RegistryBranchFiles::PendingFile;
    // Writes the temporary files of every changed branch that has a file; on failure none is
    // left behind.
    Result<std::vector<PendingFile>> prepareSave(bool reencodeValues = false);
    // A pending file is now the branch's file: the branch is no longer changed.
    void markSaved(RegistryTree::Branch branch, const FileStamp& stamp);
    // Reads every branch's file again, dropping what was changed in memory; every open handle
    // becomes invalid. On failure the tree stays as it was.
    Result<void> reload();

    std::int32_t RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) override;
    std::int32_t RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) override;
    std::int32_t RegCloseKey(HKey key) override;
    std::int32_t RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) override;
    std::int32_t RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                             std::uint32_t nameSize) override;
    std::int32_t RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                               std::uint32_t& nameSize, std::uint32_t* type, std::string* data,
                               std::uint32_t* dataSize) override;
    std::int32_t RegQueryValueA(HKey key, std::string_view subKey, std::string* data,
                                std::int32_t& dataSize) override;
    std::int32_t RegQueryValueExA(HKey key, std::string_view valueName, std::uint32_t* type,
                                  std::string* data, std::uint32_t* dataSize) override;
    std::int32_t RegSetValueA(HKey key, std::string_view subKey, std::uint32_t type,
                              std::string_view data) override;
    std::int32_t RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t type,
                                std::string_view data) override;
    std::int32_t RegDeleteKeyA(HKey key, std::string_view subKey) override;
    std::int32_t RegDeleteValueA(HKey key, std::string_view valueName) override;
    std::int32_t RegFlushKey(HKey key) override;
    std::int32_t RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) override;

    std::int32_t RegOpenKeyExW(HKey key, std::u16string_view subKey, HKey& result) override;
    std::int32_t RegCreateKeyExW(HKey key, std::u16string_view subKey, HKey& result) override;
    std::int32_t RegEnumKeyExW(HKey key, std::uint32_t index, std::u16string& name) override;
    std::int32_t RegEnumValueW(HKey key, std::uint32_t index, std::u16string& name,
                               std::uint32_t& type, std::string& data) override;
    std::int32_t RegSetValueExW(HKey key, std::u16string_view valueName, std::uint32_t type,
                                std::string_view data) override;
    std::int32_t RegDeleteKeyW(HKey key, std::u16string_view subKey) override;
    std::int32_t RegDeleteValueW(HKey key, std::u16string_view valueName) override;

    std::size_t openHandleCount() const override;

    // Runs `action` on the tree under the gateway's lock (loading, saving, engine tests).
    template <typename Action>
    decltype(auto) withTree(Action&& action) {
        std::scoped_lock lock(mutex_);
        walks_.forget();
        return action(*tree_);
    }

private:
    // The registry of a loaded tree and its files, or the error of loading them.
    static Result<std::unique_ptr<WineRegistry>> over(std::unique_ptr<RegistryTree> tree,
                                                      Result<RegistryBranchFiles> files);

    // A key path split into elements of unit text, viewing either the caller's text (an ASCII
    // path is its own unit text) or the gateway's conversion buffer; or the Win32 error that
    // the path itself causes. Valid until the next parse, under the lock.
    struct ParsedPath {
        std::int32_t error = 0;
        std::span<const std::string_view> elements;
    };

    ParsedPath parsePath(HKey key, std::u16string_view path);
    ParsedPath parsePathA(HKey key, std::string_view path);
    ParsedPath splitUnitText(HKey key, std::string_view unitText);
    // The unit text of an A function's name: the name itself when it is ASCII, else its
    // conversion in the gateway's buffer (valid until the next conversion).
    std::string_view unitTextOf(std::string_view utf8);

    // The node behind a handle or predefined root; `create` makes a missing root's path.
    std::int32_t nodeOf(HKey key, bool create, RegNode*& node);
    // Walks `elements` below `start`, following links; creates missing keys when asked.
    std::int32_t walk(RegNode* start, std::span<const std::string_view> elements, bool create,
                      RegNode*& node);
    // HKEY_CLASSES_ROOT or HKEY_CURRENT_CONFIG: the key `path` below HKEY_LOCAL_MACHINE,
    // remembered in `known` until the tree changes.
    std::int32_t mappedRoot(std::span<const std::string_view> path, bool create, RegNode*& known,
                            RegNode*& node);
    // Forgets the remembered walks once the tree has changed since.
    void dropStalePaths();

    std::int32_t openKey(HKey key, const ParsedPath& path, bool create, HKey& result);
    std::int32_t deleteKey(HKey key, const ParsedPath& path);
    std::int32_t setValue(HKey key, std::string_view nameUnitText, std::uint32_t type,
                          std::string_view bytes);
    std::int32_t deleteValue(HKey key, std::string_view nameUnitText);
    // The bytes an A function returns for a value (strings converted to UTF-8), in the
    // gateway's data buffer; valid until the next call.
    std::string_view ansiData(const RegValue& value);
    // What an A function returns as a name.
    std::string_view ansiName(std::string_view unitText);

    mutable std::mutex mutex_;
    RegistryBranchFiles files_;
    std::unique_ptr<RegistryTree> tree_;
    RegistryHandleTable handles_;
    RegistryWalkCache walks_;

    // Buffers reused by every call, under the lock.
    std::string unitBuffer_;
    std::string nameBuffer_;
    std::vector<std::string_view> elementBuffer_;
    std::string dataBuffer_;
};

} // namespace tolvane::prefix
