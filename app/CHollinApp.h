#pragma once

#include "app/PrefixSession.h"
#include "platform/Result.h"
#include "platform/discovery/HostEnvironment.h"
#include "platform/services/XdgAutostart.h"
#include "ui/UiContext.h"

#include <atomic>
#include <filesystem>
#include <memory>

namespace tolvane {

class CHollinDlg;
class Dialogs;
class LinkOpener;
class ProfileStore;
class PrefixCatalog;
class Theme;

namespace prefix {
class PrefixHistoryStore;
class UserProfile;
} // namespace prefix

// The one application object: it owns `busy`, the settings store and the Wine prefix being
// cleaned, makes the backup folder, shows the main window and, when "Run Scan at Startup" is
// set, starts a scan once the window is up.
class CHollinApp {
public:
    // The name the settings are kept under (shared with tolvane-cli).
    static constexpr const char* applicationName = "tolvane";

    // The working directory, the config home, the data home (backups), the executable,
    // $WINEPREFIX and $HOME as the prefix session takes them, and the help file.
    struct Options : PrefixSession::Options {
        std::filesystem::path helpFile;
        // Where the prefixes of this machine are looked for (HOME, XDG_*, WINEPREFIX); null:
        // the environment of this process.
        std::shared_ptr<const discovery::HostEnvironment> hostEnvironment;
        // The program that stops a prefix's wineserver ("wineserver -k").
        std::string wineserver = "wineserver";

        // The options of a normal start: current folder, XDG config home, /proc/self/exe,
        // $WINEPREFIX and $HOME, and the help beside the executable or installed with it.
        static Options fromEnvironment();
    };

    CHollinApp(Options options, Dialogs& dialogs, LinkOpener& links, const Theme& theme,
               ModuleFactoryMaker moduleFactory);
    CHollinApp(const CHollinApp&) = delete;
    CHollinApp& operator=(const CHollinApp&) = delete;
    ~CHollinApp();

    // Opens the settings store (telling the user when its file was unusable) and the prefix,
    // offers the old ./Backup folder for import once, shows the main window (which may hide
    // itself to the tray) and queues the scan at startup. Fails only when the settings folder
    // cannot be made.
    Result<void> start();

    CHollinDlg* mainWindow() const { return window_.get(); }
    std::atomic<int>& busy() { return busy_; }
    // The settings store the pages use: the history also lands in the open prefix's section.
    ProfileStore& profile();
    PrefixSession& session() { return *session_; }
    PrefixCatalog& prefixes() { return *prefixes_; }
    // Where the open prefix's backups live; empty while none is open.
    std::filesystem::path backupFolder() const;

    // <executable folder>/Tolvane.html, else <executable folder>/../share/tolvane/Tolvane.html.
    static std::filesystem::path locateHelpFile(const std::filesystem::path& executable);

    // Whether the old ./Backup folder was offered for import (asked once).
    static constexpr const char* legacyOfferedEntry = "LegacyBackupsOffered";

private:
    void runScanAtStartup();
    // Offers once to copy the backups of an older version's ./Backup folder.
    void offerLegacyBackups();

    Options options_;
    Dialogs& dialogs_;
    LinkOpener& links_;
    const Theme& theme_;
    ModuleFactoryMaker moduleFactory_;
    std::atomic<int> busy_{0};
    XdgAutostart autostart_;
    std::unique_ptr<prefix::UserProfile> profile_;
    std::unique_ptr<prefix::PrefixHistoryStore> history_;
    std::unique_ptr<PrefixSession> session_;
    std::unique_ptr<PrefixCatalog> prefixes_;
    std::unique_ptr<UiContext> context_;
    // Last: the window goes first, while everything it uses still exists.
    std::unique_ptr<CHollinDlg> window_;
};

} // namespace tolvane
