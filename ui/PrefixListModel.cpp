#include "ui/PrefixListModel.h"

#include "ui/PrefixCatalog.h"
#include "ui/Theme.h"

#include <QDateTime>
#include <QFont>
#include <QStringList>
#include <chrono>
#include <filesystem>

namespace tolvane {

namespace {

QString lastUsedText(const discovery::DiscoveredPrefix& prefix) {
    if (!prefix.lastUsed) {
        return QStringLiteral("never");
    }
    // The file clock's epoch is not the system clock's: carried over through "now" on both.
    const auto system = std::chrono::system_clock::now() +
                        std::chrono::duration_cast<std::chrono::system_clock::duration>(
                            *prefix.lastUsed - std::filesystem::file_time_type::clock::now());
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

PrefixListModel::PrefixListModel(const PrefixCatalog& catalog, const Theme& theme, QObject* parent)
    : QAbstractTableModel(parent), catalog_(catalog), theme_(theme), icons_(theme) {
    connect(&catalog, &PrefixCatalog::refreshed, this, [this] {
        beginResetModel();
        currentRow_ = -1;
        endResetModel();
        setCurrent(current_);
    });
}

void PrefixListModel::setCurrent(const std::filesystem::path& folder) {
    current_ = folder;
    const auto* found = catalog_.find(folder);
    const int row = found == nullptr ? -1 : static_cast<int>(found - catalog_.prefixes().data());
    if (row == currentRow_) {
        return;
    }
    const int previous = currentRow_;
    currentRow_ = row;
    for (const int changed : {previous, row}) {
        if (changed >= 0) {
            Q_EMIT dataChanged(index(changed, 0), index(changed, Column::columns - 1));
        }
    }
}

const discovery::DiscoveredPrefix* PrefixListModel::prefixAt(int row) const {
    const auto& prefixes = catalog_.prefixes();
    if (row < 0 || row >= static_cast<int>(prefixes.size())) {
        return nullptr;
    }
    return &prefixes[static_cast<std::size_t>(row)];
}

int PrefixListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(catalog_.prefixes().size());
}

int PrefixListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Column::columns;
}

QString PrefixListModel::stateText(const discovery::DiscoveredPrefix& prefix) {
    QStringList parts;
    if (prefix.running()) {
        parts << (*prefix.server > 0 ? QStringLiteral("in use (wineserver %1)").arg(*prefix.server)
                                     : QStringLiteral("in use (wineserver)"));
    }
    if (!prefix.writable) {
        parts << QStringLiteral("read-only");
    }
    for (const auto& note : prefix.notes) {
        parts << QString::fromStdString(note);
    }
    return parts.join(QStringLiteral(", "));
}

QVariant PrefixListModel::data(const QModelIndex& index, int role) const {
    const auto* prefix = prefixAt(index.row());
    if (prefix == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Column::launcher:
            return QString::fromStdString(prefix->launcher);
        case Column::name:
            return QString::fromStdString(prefix->name);
        case Column::path:
            return QString::fromStdString(prefix->path.string());
        case Column::lastUsed:
            return lastUsedText(*prefix);
        case Column::state:
            return stateText(*prefix);
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (index.column() == Column::launcher) {
            return icons_.pixmap(LauncherIcons::fromName(prefix->launcher))
                .scaled(20, 20, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        return {};
    case Qt::ToolTipRole: {
        const QString state = stateText(*prefix);
        return QString::fromStdString(prefix->path.string()) +
               (state.isEmpty() ? QString() : QStringLiteral("\n") + state);
    }
    case Qt::FontRole:
        if (index.row() == currentRow_) {
            QFont bold = theme_.bodyFont();
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        if (index.column() == Column::state && (prefix->running() || !prefix->writable)) {
            return theme_.closeHover();
        }
        return {};
    default:
        return {};
    }
}

QVariant PrefixListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static constexpr std::array<const char*, Column::columns> titles{"Launcher", "Name", "Folder",
                                                                     "Last used", "State"};
    if (section < 0 || section >= Column::columns) {
        return {};
    }
    return QString::fromLatin1(titles[static_cast<std::size_t>(section)]);
}

} // namespace tolvane
