#include "app/PrefixSession.h"

#include "maintenance/FullBackups.h"
#include "platform/ProfileStore.h"
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
    if (auto opened = open(folder); !opened) {
        dialogs_.error(parent, caption,
                       QStringLiteral("The Wine prefix at %1 cannot be read: %2\n\nChoose "
                                      "another Wine prefix folder.")
                           .arg(shown(folder), QString::fromStdString(opened.message())));
        choose(parent);
    }
}

bool PrefixSession::choose(QWidget* parent) {
    const QString caption = QString::fromLatin1(product::name);
    QString start = prefix_ ? shown(prefix_->prefix()) : shown(options_.home);
    for (;;) {
        const auto folder =
            dialogs_.chooseFolder(parent, QStringLiteral("Choose the Wine prefix to clean"), start);
        if (!folder) {
            return false;
        }
        const std::filesystem::path path = folder->toStdString();
        auto opened = open(path);
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
    return prefix_ ? prefix_->prefix() : std::filesystem::path();
}

bool PrefixSession::openFolder(const std::filesystem::path& folder, QWidget* parent) {
    if (auto opened = open(folder); !opened) {
        dialogs_.error(parent, QString::fromLatin1(product::name),
                       QStringLiteral("%1 is not a Wine prefix that Tolvane can read: %2")
                           .arg(shown(folder), QString::fromStdString(opened.message())));
        return false;
    }
    profile_.writeProfileString(choiceSection, choiceEntry, folder.string());
    return true;
}

Result<void> PrefixSession::open(const std::filesystem::path& folder) {
    auto opened =
        prefix::PrefixPlatform::open(folder, {options_.workingDirectory, options_.configHome,
                                              options_.executable, options_.dataHome});
    if (!opened) {
        return opened.error();
    }
    // The old prefix stays alive until every page has rebuilt what it made on it.
    auto previous = std::move(prefix_);
    prefix_ = std::move(opened.value());
    // What an interrupted backup left is never listed; here it goes.
    FullBackups(prefix_->platform()).removeStale();
    Q_EMIT platformChanged();
    previous.reset();
    return {};
}

Platform* PrefixSession::platform() {
    return prefix_ ? &prefix_->platform() : nullptr;
}

QString PrefixSession::describe() const {
    if (!prefix_) {
        return QStringLiteral("No Wine prefix is open");
    }
    return QStringLiteral("Cleaning the Wine prefix %1").arg(shortened(prefix_->prefix()));
}

QString PrefixSession::location() const {
    return prefix_ ? shortened(prefix_->prefix()) : QString();
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
