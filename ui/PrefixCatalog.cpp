#include "ui/PrefixCatalog.h"

#include <system_error>

namespace tolvane {

namespace {

std::filesystem::path comparable(const std::filesystem::path& folder) {
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(folder, error);
    return error ? folder.lexically_normal() : canonical;
}

} // namespace

PrefixCatalog::PrefixCatalog(Discover discover, QString wineserver, QObject* parent)
    : QObject(parent), discover_(std::move(discover)), wineserver_(std::move(wineserver)) {}

void PrefixCatalog::refresh() {
    if (task_.running()) {
        return;
    }
    // The worker gets its own copy of the search; the list is swapped in on the GUI thread.
    task_.start([discover = discover_](std::stop_token) { return discover(); },
                [this](discovery::DiscoveryReport report) {
                    report_ = std::move(report);
                    listed_ = true;
                    Q_EMIT refreshed();
                });
}

const discovery::DiscoveredPrefix* PrefixCatalog::find(const std::filesystem::path& folder) const {
    if (folder.empty()) {
        return nullptr;
    }
    const auto wanted = comparable(folder);
    for (const auto& prefix : report_.prefixes) {
        if (comparable(prefix.path) == wanted) {
            return &prefix;
        }
    }
    return nullptr;
}

PrefixCatalog::Title PrefixCatalog::title(const std::filesystem::path& folder) const {
    if (const auto* found = find(folder)) {
        // A prefix known only from $WINEPREFIX is plain Wine to the user.
        const QString launcher = found->launcher == "WINEPREFIX"
                                     ? QStringLiteral("Wine")
                                     : QString::fromStdString(found->launcher);
        return {launcher, QString::fromStdString(found->name)};
    }
    const auto normal = folder.lexically_normal();
    auto name = normal.filename().empty() ? normal.parent_path().filename() : normal.filename();
    return {QStringLiteral("Wine"), QString::fromStdString(name.string())};
}

} // namespace tolvane
