#pragma once

#include "platform/discovery/DiscoveredPrefix.h"
#include "ui/BackgroundTask.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <vector>

namespace tolvane {

// The Wine prefixes found on this machine, as the picker and the status line show them.
// Discovery reads many launcher files, so it runs on a worker; refreshed() is emitted on the
// GUI thread once the new list is in place.
class PrefixCatalog : public QObject {
    Q_OBJECT
public:
    using Discover = std::function<discovery::DiscoveryReport()>;

    // How a prefix is named to the user: its launcher and its name there.
    struct Title {
        QString launcher;
        QString name;
    };

    // `discover` runs on the worker; `wineserver` is the program that stops a prefix's server.
    PrefixCatalog(Discover discover, QString wineserver, QObject* parent = nullptr);

    // Starts a new search unless one is under way.
    void refresh();
    bool refreshing() const { return task_.running(); }
    // Whether a search has completed at least once.
    bool listed() const { return listed_; }

    const std::vector<discovery::DiscoveredPrefix>& prefixes() const { return report_.prefixes; }
    const std::vector<discovery::DiscoveryProblem>& errors() const { return report_.errors; }
    // The prefix in `folder` (compared as canonical folders); null when none was found there.
    const discovery::DiscoveredPrefix* find(const std::filesystem::path& folder) const;
    // The title of the prefix in `folder`: as found, else plain Wine and the folder's name.
    Title title(const std::filesystem::path& folder) const;
    const QString& wineserver() const { return wineserver_; }

Q_SIGNALS:
    void refreshed();

private:
    Discover discover_;
    QString wineserver_;
    discovery::DiscoveryReport report_;
    bool listed_ = false;
    // Last: stopped and joined before the report it writes into goes.
    BackgroundTask task_{*this};
};

} // namespace tolvane
