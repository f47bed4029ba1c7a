#pragma once

#include "platform/Result.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <string>

class QWidget;

namespace tolvane {

struct Platform;

// The registry the program cleans (on Linux a Wine prefix the user chose) as the pages see it.
// It may be missing: a page that needs it asks SkinPanel::requirePlatform.
class RegistrySession : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The open registry; null while none is open.
    virtual Platform* platform() = 0;
    // One line for the user: "the Wine prefix /home/ann/.wine", or that none is open.
    virtual QString describe() const = 0;
    // The folder shown (and changeable) on the Settings page; empty where there is no choice.
    virtual QString location() const = 0;
    // Lets the user pick another registry (a prefix folder) through Dialogs; true when one was
    // opened. Callers refuse it while an operation runs.
    virtual bool choose(QWidget* parent) = 0;
    // The prefix folder open now; empty when none is (or the registry is no prefix).
    virtual std::filesystem::path folder() const = 0;
    // Opens the prefix in `folder` (one the user picked from the list of those found) and
    // remembers it; an error is shown through Dialogs and the open registry stays. Callers
    // refuse it while an operation runs.
    virtual bool openFolder(const std::filesystem::path& folder, QWidget* parent) = 0;

    // Whether the registry may be changed now (no wineserver holds the prefix); the error
    // says why not.
    Result<void> ensureWritable();
    // Whether another program changed the open prefix's files since they were read.
    bool changedOnDisk();
    // Reads the open prefix again (the same folder, opened afresh); false, with the reason
    // shown through Dialogs, when it cannot be.
    virtual bool reload(QWidget* parent) {
        return !folder().empty() && openFolder(folder(), parent);
    }
    // Where the ignore list's entries for this registry hold: the prefix folder, or the live
    // registry where there is no folder to choose.
    std::string ignorePlace() const;

Q_SIGNALS:
    // Another registry was opened. Objects built on the old Platform (module sets, runs) must
    // be rebuilt; the old one stays valid until every receiver has returned.
    void platformChanged();
};

} // namespace tolvane
