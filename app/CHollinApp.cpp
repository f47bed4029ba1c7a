#include "app/CHollinApp.h"

#include "maintenance/FullBackups.h"
#include "platform/discovery/PrefixDiscovery.h"
#include "platform/discovery/ProcessEnvironment.h"
#include "platform/prefix/PrefixHistoryStore.h"
#include "platform/prefix/UserProfile.h"
#include "platform/services/BackupLocation.h"
#include "ui/CHollinDlg.h"
#include "ui/CTabPanel.h"
#include "ui/Dialogs.h"
#include "ui/PrefixCatalog.h"
#include "ui/ProductInfo.h"
#include "ui/SkinPanel.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>
#include <system_error>

namespace tolvane {

namespace {

std::filesystem::path environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

} // namespace

CHollinApp::Options CHollinApp::Options::fromEnvironment() {
    Options options;
    std::error_code error;
    options.workingDirectory = std::filesystem::current_path(error);
    options.configHome = XdgAutostart::defaultConfigHome();
    options.dataHome = BackupLocation::defaultDataHome();
    options.executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        options.executable = "tolvane";
    }
    options.environmentPrefix = environmentPath("WINEPREFIX");
    options.home = environmentPath("HOME");
    if (options.home.empty()) {
        options.home = "/";
    }
    options.helpFile = locateHelpFile(options.executable);
    return options;
}

std::filesystem::path CHollinApp::locateHelpFile(const std::filesystem::path& executable) {
    const auto folder = executable.parent_path();
    const auto beside = folder / product::helpFileName;
    const auto installed = folder.parent_path() / "share" / "tolvane" / product::helpFileName;
    std::error_code error;
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error)) {
        return installed;
    }
    return beside;
}

CHollinApp::CHollinApp(Options options, Dialogs& dialogs, LinkOpener& links, const Theme& theme,
                       ModuleFactoryMaker moduleFactory)
    : options_(std::move(options)), dialogs_(dialogs), links_(links), theme_(theme),
      moduleFactory_(std::move(moduleFactory)),
      autostart_(options_.configHome, options_.executable) {}

CHollinApp::~CHollinApp() = default;

ProfileStore& CHollinApp::profile() {
    return *history_;
}

std::filesystem::path CHollinApp::backupFolder() const {
    if (session_ && session_->platform()) {
        return std::filesystem::absolute(FullBackups(*session_->platform()).root());
    }
    return {};
}

void CHollinApp::offerLegacyBackups() {
    // Older versions kept backups in ./Backup of whatever folder they were started from.
    const auto legacy = std::filesystem::absolute(options_.workingDirectory / "Backup");
    Platform* platform = session_->platform();
    std::error_code error;
    if (platform == nullptr ||
        profile_->store().getProfileInt("Settings", legacyOfferedEntry, 0) != 0 ||
        !std::filesystem::is_directory(legacy, error) || legacy == backupFolder() ||
        std::filesystem::is_empty(legacy, error)) {
        return;
    }
    profile_->store().writeProfileInt("Settings", legacyOfferedEntry, 1);
    const QString caption = QString::fromLatin1(product::name);
    if (!dialogs_.question(nullptr, caption,
                           QStringLiteral("Backups of an older version of Tolvane were found in "
                                          "%1.\nCopy them to %2, where the backups of this Wine "
                                          "prefix are kept?")
                               .arg(QString::fromStdString(legacy.string()),
                                    QString::fromStdString(backupFolder().string())))) {
        return;
    }
    auto imported = FullBackups(*platform).importLegacy(legacy);
    if (!imported) {
        dialogs_.error(nullptr, caption,
                       QStringLiteral("The old backups were not copied: %1.")
                           .arg(QString::fromStdString(imported.message())));
    }
}

Result<void> CHollinApp::start() {
    auto profile = prefix::UserProfile::open(options_.configHome, applicationName);
    if (!profile) {
        return profile.error();
    }
    profile_ = std::move(profile.value());
    history_ = std::make_unique<prefix::PrefixHistoryStore>(profile_->store());
    if (const auto notice = profile_->takeNotice(); !notice.empty()) {
        dialogs_.information(nullptr, QString::fromLatin1(product::name),
                             QString::fromStdString(notice));
    }

    session_ = std::make_unique<PrefixSession>(
        PrefixSession::Options{std::filesystem::absolute(options_.workingDirectory),
                               options_.configHome, options_.executable, options_.environmentPrefix,
                               options_.home, options_.dataHome},
        *history_, dialogs_);
    // Connected first: the pages reread the history after the store knows the new prefix.
    QObject::connect(session_.get(), &RegistrySession::platformChanged, session_.get(),
                     [this] { history_->setPrefix(session_->folder()); });
    session_->openAtStart(nullptr);
    history_->setPrefix(session_->folder());
    offerLegacyBackups();

    std::shared_ptr<const discovery::HostEnvironment> environment = options_.hostEnvironment;
    if (!environment) {
        environment = std::make_shared<discovery::ProcessEnvironment>();
    }
    prefixes_ = std::make_unique<PrefixCatalog>(
        [environment] {
            return discovery::PrefixDiscovery::standard(*environment).discover(*environment);
        },
        QString::fromStdString(options_.wineserver));

    // Parenthesised aggregate initialisation: the context holds references.
    context_ = std::make_unique<UiContext>(
        busy_, *history_, *session_, autostart_, dialogs_, links_, theme_, moduleFactory_,
        options_.helpFile, [] { return QSystemTrayIcon::isSystemTrayAvailable(); },
        prefixes_.get());
    busy_ = 0;
    window_ = std::make_unique<CHollinDlg>(*context_);
    window_->show();
    prefixes_->refresh();
    if (profile_->store().getProfileInt("Settings", "RunScanAtStartup", 0) != 0) {
        // Queued behind the first paint (and the hide to the tray, when that is set).
        QTimer::singleShot(0, window_.get(), [this] { runScanAtStartup(); });
    }
    return {};
}

void CHollinApp::runScanAtStartup() {
    if (SkinPanel* scanner = window_->tabPanel().page(page::scanner)) {
        scanner->startMainAction();
    }
}

} // namespace tolvane
