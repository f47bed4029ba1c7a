#include "app/CHollinApp.h"

#include "platform/discovery/PrefixDiscovery.h"
#include "platform/discovery/ProcessEnvironment.h"
#include "platform/prefix/PrefixHistoryStore.h"
#include "platform/prefix/UserProfile.h"
#include "ui/CHollinDlg.h"
#include "ui/CTabPanel.h"
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
    return std::filesystem::absolute(options_.workingDirectory / "Backup");
}

Result<void> CHollinApp::start() {
    // A failure shows later, when a backup cannot be written.
    std::error_code error;
    std::filesystem::create_directories(backupFolder(), error);

    auto profile = prefix::UserProfile::open(options_.configHome, applicationName);
    if (!profile) {
        return profile.error();
    }
    profile_ = std::move(profile.value());
    history_ = std::make_unique<prefix::PrefixHistoryStore>(profile_->store());

    session_ = std::make_unique<PrefixSession>(
        PrefixSession::Options{std::filesystem::absolute(options_.workingDirectory),
                               options_.configHome, options_.executable, options_.environmentPrefix,
                               options_.home},
        *history_, dialogs_);
    // Connected first: the pages reread the history after the store knows the new prefix.
    QObject::connect(session_.get(), &RegistrySession::platformChanged, session_.get(),
                     [this] { history_->setPrefix(session_->folder()); });
    session_->openAtStart(nullptr);
    history_->setPrefix(session_->folder());

    std::shared_ptr<const discovery::HostEnvironment> environment = options_.hostEnvironment;
    if (!environment) {
        environment = std::make_shared<discovery::ProcessEnvironment>();
    }
    prefixes_ = std::make_unique<PrefixCatalog>(
        [environment] {
            return discovery::PrefixDiscovery::standard(*environment).discover(*environment);
        },
        QString::fromStdString(options_.wineserver));

    context_ = std::unique_ptr<UiContext>(
        new UiContext{busy_, *history_, *session_, autostart_, dialogs_, links_, theme_,
                      moduleFactory_, options_.helpFile,
                      [] { return QSystemTrayIcon::isSystemTrayAvailable(); }, prefixes_.get()});
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
