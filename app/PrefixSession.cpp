#include "app/PrefixSession.h"

#include "maintenance/FullBackups.h"
#include "platform/ProfileStore.h"
#include "platform/offline/OfflinePlatform.h"
#include "platform/prefix/PrefixPlatform.h"
#include "ui/Dialogs.h"
#include "ui/ProductInfo.h"

#include <system_error>

namespace tolvane {

namespace {

QString shown(const std::filesystem::path& folder) {
    return QString::fromStdString(folder.string());
}

bool isFolder(const std::filesystem::path& folder) {
    std::error_code error;
    return !folder.empty() && std::filesystem::is_directory(folder, error);
}

} // namespace

PrefixSession::PrefixSession(Options options, ProfileStore& profile, Dialogs& dialogs,
                             QObject* parent)
    : RegistrySession(parent), options_(std::move(options)), profile_(profile), dialogs_(dialogs) {}

PrefixSession::~PrefixSession() = default;

std::filesystem::path PrefixSession::startPrefix() {
    if (!options_.environmentPrefix.empty()) {
        return options_.environmentPrefix;
    }
    const std::filesystem::path chosen = profile_.getProfileString(choiceSection, choiceEntry, "");
    if (isFolder(chosen)) {
        return chosen;
    }
    return options_.home / ".wine";
}

void PrefixSession::openAtStart(QWidget* parent) {
    const auto folder = startPrefix();
    const QString caption = QString::fromLatin1(product::name);
    if (!isFolder(folder)) {
        dialogs_.information(parent, caption,
                             QStringLiteral("There is no Wine prefix at %1.\n\nChoose the Wine "
                                            "prefix folder that Tolvane should clean.")
                                 .arg(shown(folder)));
        choose(parent);
        return;
    }
    if (auto opened = open(folder, parent); !opened) {
        dialogs_.error(parent, caption,
                       QStringLiteral("The Wine prefix at %1 cannot be read: %2\n\nChoose "
                                      "another Wine prefix folder.")
                           .arg(shown(folder), QString::fromStdString(opened.message())));
        choose(parent);
    }
}

bool PrefixSession::choose(QWidget* parent) {
    const QString caption = QString::fromLatin1(product::name);
    QString start = !folder().empty() ? shown(folder()) : shown(options_.home);
    for (;;) {
        const auto folder =
            dialogs_.chooseFolder(parent, QStringLiteral("Choose the Wine prefix to clean"), start);
        if (!folder) {
            return false;
        }
        const std::filesystem::path path = folder->toStdString();
        auto opened = open(path, parent);
        if (opened) {
            profile_.writeProfileString(choiceSection, choiceEntry, path.string());
            return true;
        }
        dialogs_.error(parent, caption,
                       QStringLiteral("%1 is not a Wine prefix that Tolvane can read: %2")
                           .arg(*folder, QString::fromStdString(opened.message())));
        start = *folder;
    }
}

std::filesystem::path PrefixSession::folder() const {
    if (installation_) {
        return installation_->mount();
    }
    return prefix_ ? prefix_->prefix() : std::filesystem::path();
}

bool PrefixSession::openFolder(const std::filesystem::path& folder, QWidget* parent) {
    if (auto opened = open(folder, parent); !opened) {
        dialogs_.error(parent, QString::fromLatin1(product::name),
                       QStringLiteral("%1 is not a Wine prefix that Tolvane can read: %2")
                           .arg(shown(folder), QString::fromStdString(opened.message())));
        return false;
    }
    profile_.writeProfileString(choiceSection, choiceEntry, folder.string());
    return true;
}

Result<void> PrefixSession::open(const std::filesystem::path& folder, QWidget* parent) {
    if (offline::OfflinePlatform::isInstallation(folder)) {
        return openInstallation(folder, parent);
    }
    auto opened =
        prefix::PrefixPlatform::open(folder, {options_.workingDirectory, options_.configHome,
                                              options_.executable, options_.dataHome});
    if (!opened) {
        return opened.error();
    }
    replaceOpen(std::move(opened.value()), nullptr);
    return {};
}

Result<void> PrefixSession::openInstallation(const std::filesystem::path& mount, QWidget* parent) {
    offline::OfflinePlatform::Options options{options_.workingDirectory, options_.configHome,
                                              options_.executable, options_.dataHome};
    auto users = offline::OfflinePlatform::userNames(mount);
    if (!users) {
        return users.error();
    }
    if (users.value().size() > 1) {
        QStringList names;
        for (const std::string& name : users.value()) {
            names << QString::fromStdString(name);
        }
        const auto chosen = dialogs_.chooseItem(
            parent, QString::fromLatin1(product::name),
            QStringLiteral("The Windows installation at %1 has several users. Whose settings "
                           "should Tolvane clean with it?")
                .arg(shown(mount)),
            names);
        if (!chosen) {
            return makeError("no user of the installation was chosen");
        }
        options.user = chosen->toStdString();
    }
    auto opened = offline::OfflinePlatform::open(mount, options);
    if (!opened) {
        return opened.error();
    }
    replaceOpen(nullptr, std::move(opened.value()));
    return {};
}

void PrefixSession::replaceOpen(std::unique_ptr<prefix::PrefixPlatform> prefix,
                                std::unique_ptr<offline::OfflinePlatform> installation) {
    // The old registry stays alive until every page has rebuilt what it made on it.
    auto previousPrefix = std::move(prefix_);
    auto previousInstallation = std::move(installation_);
    prefix_ = std::move(prefix);
    installation_ = std::move(installation);
    // What an interrupted backup left is never listed; here it goes.
    FullBackups(*platform()).removeStale();
    Q_EMIT platformChanged();
    previousPrefix.reset();
    previousInstallation.reset();
}

Platform* PrefixSession::platform() {
    if (installation_) {
        return &installation_->platform();
    }
    return prefix_ ? &prefix_->platform() : nullptr;
}

QString PrefixSession::describe() const {
    if (installation_) {
        const auto& user = installation_->user();
        return user
                   ? QStringLiteral("Cleaning the Windows installation at %1, user %2")
                         .arg(shortened(installation_->mount()), QString::fromStdString(user->name))
                   : QStringLiteral("Cleaning the Windows installation at %1")
                         .arg(shortened(installation_->mount()));
    }
    if (!prefix_) {
        return QStringLiteral("No Wine prefix is open");
    }
    return QStringLiteral("Cleaning the Wine prefix %1").arg(shortened(prefix_->prefix()));
}

QString PrefixSession::location() const {
    return !folder().empty() ? shortened(folder()) : QString();
}

QString PrefixSession::shortened(const std::filesystem::path& folder) const {
    if (options_.home.empty()) {
        return shown(folder);
    }
    // Compared by whole names: a prefix in /home/ann2 is not in the home folder /home/ann.
    const auto inHome =
        folder.lexically_normal().lexically_relative(options_.home.lexically_normal());
    if (inHome.empty() || *inHome.begin() == "..") {
        return shown(folder);
    }
    if (inHome == ".") {
        return QStringLiteral("~");
    }
    return QStringLiteral("~/") + shown(inHome);
}

} // namespace tolvane
