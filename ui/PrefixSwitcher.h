#pragma once

#include <filesystem>

class QWidget;

namespace tolvane {

class PrefixCatalog;
struct UiContext;
namespace discovery {
struct DiscoveredPrefix;
}

// What the prefix picker does for the user: open another prefix (never while an operation
// runs; the user is told why) and stop the wineserver that holds a prefix, after asking.
class PrefixSwitcher {
public:
    // Messages are shown over `parent`.
    PrefixSwitcher(UiContext& context, QWidget* parent);

    // Opens the prefix in `folder`; false when refused (busy), when it is the one open already
    // or when it could not be opened (the user was told).
    bool switchTo(const std::filesystem::path& folder);
    // The folder chooser, for prefixes no launcher records.
    bool chooseOtherFolder();
    // The folder chooser for the mount folder of a Windows installation (one that does not
    // run); a folder without one is refused with a message.
    bool chooseWindowsInstallation();
    // Asks, then runs "WINEPREFIX=<folder> wineserver -k" and reports what came of it; true
    // when the server was stopped. Answering No runs nothing.
    bool stopServer(const discovery::DiscoveredPrefix& prefix, PrefixCatalog& catalog);

private:
    bool refusedWhileBusy();

    UiContext& context_;
    QWidget* parent_;
};

} // namespace tolvane
