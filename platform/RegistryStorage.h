#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <string>

namespace tolvane {

// Where the registry that the gateway shows lives. On Windows it is the live registry and
// every change is already stored; a Wine prefix keeps its registry in files that are written
// back atomically, and only while no wineserver runs for it.
class RegistryStorage {
public:
    virtual ~RegistryStorage() = default;

    // A human-readable name of the registry ("the live registry", a prefix folder).
    virtual std::string describe() const = 0;
    // Whether changes may be made now; the error says why not.
    virtual Result<void> ensureWritable() = 0;
    // Whether the registry's files were changed by another program since they were read: then
    // only reading them again lets changes be made. The live registry is never stale.
    virtual bool changedOnDisk() const { return false; }
    // Writes every change made so far to permanent storage.
    virtual Result<void> save() = 0;

    // Keeps other Tolvane processes from changing the registry until releaseChangeLock(), for
    // a change made of several steps and stores (a fix, a restore); never waits: the error
    // says who holds it. The live registry has nothing to hold. See ChangeLock.
    virtual Result<void> holdChangeLock() { return {}; }
    virtual void releaseChangeLock() {}

    // What backups record as their origin: the same text for the same registry, however it was
    // opened (a prefix by its canonical path).
    virtual std::string origin() const { return describe(); }
    // Whether the registry lives in files that keepFiles can copy.
    virtual bool keepsFiles() const { return false; }
    // Copies the registry files, as they were loaded, into `folder`; refuses when one has
    // changed on disk since it was read. The default registry has no files of its own.
    virtual Result<void> keepFiles(const std::filesystem::path& folder) {
        (void)folder;
        return makeError("the registry of " + describe() + " is not kept in files");
    }
    // Puts back the files keepFiles copied into `folder` and reloads the registry from them.
    virtual Result<void> restoreFiles(const std::filesystem::path& folder) {
        (void)folder;
        return makeError("the registry of " + describe() + " is not kept in files");
    }
};

} // namespace tolvane
