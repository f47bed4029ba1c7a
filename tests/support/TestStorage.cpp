#include "tests/support/TestStorage.h"

namespace tolvane::test {

Result<void> TestStorage::ensureWritable() {
    if (refuseWrites) {
        return makeError("a wineserver is running for the test registry");
    }
    if (changed) {
        return makeError("the test registry has changed on disk since Tolvane read it");
    }
    return {};
}

Result<void> TestStorage::save() {
    if (refuseWrites) {
        return makeError("a wineserver is running for the test registry");
    }
    if (failSaves) {
        return makeError("the test registry could not be written");
    }
    ++saves;
    if (!changeLockHeld) {
        ++savesWithoutChangeLock;
    }
    return {};
}

Result<void> TestStorage::holdChangeLock() {
    if (takeChangeLock) {
        if (auto taken = takeChangeLock(); !taken) {
            return taken;
        }
    }
    changeLockHeld = true;
    return {};
}

void TestStorage::releaseChangeLock() {
    changeLockHeld = false;
    if (giveBackChangeLock) {
        giveBackChangeLock();
    }
}

} // namespace tolvane::test
