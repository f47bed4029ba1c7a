#pragma once

#include "platform/prefix/WineRegistry.h"
#include "platform/services/RegistryProfileStore.h"
#include "platform/services/XdgAutostart.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"
#include "ui/LinkOpener.h"
#include "ui/RegistrySession.h"
#include "ui/ScriptedDialogs.h"
#include "ui/SkinPanel.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QList>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>

namespace tolvane {
class CHollinDlg;
}

namespace tolvane::test {

// Remembers the links the program asked to open.
class RecordingLinks final : public LinkOpener {
public:
    bool open(const QUrl& url) override {
        opened.append(url);
        return opens;
    }
    QList<QUrl> opened;
    // What the desktop answers: false as where no program opens the link.
    bool opens = true;
};

// A session over the test platform; choose() takes the folder answered through Dialogs.
class TestSession final : public RegistrySession {
public:
    TestSession(Platform* platform, Dialogs& dialogs) : platform_(platform), dialogs_(dialogs) {}

    Platform* platform() override { return platform_; }
    QString describe() const override { return QStringLiteral("the test registry"); }
    QString location() const override { return location_; }
    bool choose(QWidget* parent) override;
    std::filesystem::path folder() const override { return folder_; }
    bool openFolder(const std::filesystem::path& folder, QWidget* parent) override;

    bool reload(QWidget*) override {
        ++reloads;
        if (onReload) {
            onReload();
        }
        Q_EMIT platformChanged();
        return true;
    }

    void close() { platform_ = nullptr; }
    int chooseCalls = 0;
    int reloads = 0;
    // What reading the registry again finds (the test changes the registry here).
    std::function<void()> onReload;

private:
    Platform* platform_;
    Dialogs& dialogs_;
    QString location_ = QStringLiteral("/test/prefix");
    // Empty until openFolder: the history stays in the global entries.
    std::filesystem::path folder_;
};

// A page that stands in a slot of the container and counts what it is asked to do.
class RecordingPanel final : public SkinPanel {
public:
    RecordingPanel(UiContext& context, std::atomic<int>& busy)
        : SkinPanel(context, QStringLiteral("Recording"), nullptr), busy_(busy) {}

    void startMainAction() override {
        ++startRequests;
        startedWhileBusy += busy_ != 0 ? 1 : 0;
        visibleAtStart = isVisible();
    }

    // What an action that changes the registry checks first.
    bool checkWritable() { return ensureWritable(); }

    int startRequests = 0;
    int startedWhileBusy = 0;
    bool visibleAtStart = false;

private:
    std::atomic<int>& busy_;
};

// Everything a window or page needs, over real components: the test platform, a settings
// store in an in-memory registry, an XDG autostart entry in a scratch folder, scripted
// dialogs and recorded links.
class UiBench {
public:
    UiBench();
    ~UiBench();

    UiContext& context() { return context_; }
    ProfileStore& profile() { return profile_; }
    XdgAutostart& autostart() { return autostart_; }
    std::unique_ptr<CHollinDlg> makeWindow();
    // Shows `window` and lets its queued start-up steps run.
    static void showAndSettle(CHollinDlg& window);

    std::atomic<int> busy{0};
    ScriptedDialogs dialogs;
    RecordingLinks links;
    TestPlatform platform;
    TestSession session;
    Theme theme;
    bool trayAvailable = true;
    // Runs, on the writing thread, where the program's settings file would be saved.
    std::function<void()> onProfileSaved;

private:
    TempDir scratch_;
    prefix::WineRegistry profileRegistry_;
    RegistryProfileStore profile_;
    XdgAutostart autostart_;
    UiContext context_;
};

} // namespace tolvane::test
