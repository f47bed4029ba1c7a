#pragma once

#include "ui/LauncherIcons.h"

#include <QAbstractTableModel>
#include <filesystem>

namespace tolvane {

class PrefixCatalog;
class Theme;
namespace discovery {
struct DiscoveredPrefix;
}

// The prefixes of the catalog as rows: launcher (with its icon), name, folder, when Wine last
// wrote it and its state (in use by a wineserver, read-only, what the launcher noted). The
// open prefix is shown in bold. Follows the catalog as it is refreshed.
class PrefixListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { launcher, name, path, lastUsed, state, columns };

    PrefixListModel(const PrefixCatalog& catalog, const Theme& theme, QObject* parent = nullptr);

    void setCurrent(const std::filesystem::path& folder);
    // The prefix in `row`; null for a row that is not there.
    const discovery::DiscoveredPrefix* prefixAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "In use", "read-only" and the launcher's notes, as the state column shows them.
    static QString stateText(const discovery::DiscoveredPrefix& prefix);

private:
    const PrefixCatalog& catalog_;
    const Theme& theme_;
    LauncherIcons icons_;
    int currentRow_ = -1;
    std::filesystem::path current_;
};

} // namespace tolvane
