#pragma once

#include "ui/RegistrySession.h"

#include <filesystem>
#include <memory>

namespace tolvane {

class Dialogs;
class ProfileStore;

namespace prefix {
class PrefixPlatform;
}
namespace offline {
class OfflinePlatform;
}

// The Wine prefix the desktop program cleans: $WINEPREFIX, else the folder the user chose
// before (section "Settings", entry "WinePrefix"), else ~/.wine. When that folder does not
// exist or cannot be read, the user is told so and picks another one. A folder where a Windows
// installation is mounted opens that installation's hives instead; when it has several users,
// the user picks whose.
class PrefixSession final : public RegistrySession {
    Q_OBJECT
public:
    struct Options {
        // Where relative Windows paths start.
        std::filesystem::path workingDirectory;
        std::filesystem::path configHome;
        std::filesystem::path executable;
        // $WINEPREFIX; empty when it is not set.
        std::filesystem::path environmentPrefix;
        std::filesystem::path home;
        // Backups live below <data home>/tolvane, a folder per prefix.
        std::filesystem::path dataHome{};
    };

    static constexpr const char* choiceSection = "Settings";
    static constexpr const char* choiceEntry = "WinePrefix";

    PrefixSession(Options options, ProfileStore& profile, Dialogs& dialogs,
                  QObject* parent = nullptr);
    ~PrefixSession() override;

    // The prefix the program starts with, before any question.
    std::filesystem::path startPrefix();
    // Opens startPrefix(), or asks for another when it is missing or unreadable.
    void openAtStart(QWidget* parent);

    Platform* platform() override;
    QString describe() const override;
    QString location() const override;
    // Asks for a prefix folder until one opens or the user cancels; the one that opened is
    // remembered.
    bool choose(QWidget* parent) override;
    std::filesystem::path folder() const override;
    bool openFolder(const std::filesystem::path& folder, QWidget* parent) override;

private:
    // The folder as shown to the user: "~/..." inside the home folder.
    QString shortened(const std::filesystem::path& folder) const;
    Result<void> open(const std::filesystem::path& folder, QWidget* parent);
    Result<void> openInstallation(const std::filesystem::path& mount, QWidget* parent);
    // Makes the opened registry the current one and tells the pages.
    void replaceOpen(std::unique_ptr<prefix::PrefixPlatform> prefix,
                     std::unique_ptr<offline::OfflinePlatform> installation);

    Options options_;
    ProfileStore& profile_;
    Dialogs& dialogs_;
    // At most one is open.
    std::unique_ptr<prefix::PrefixPlatform> prefix_;
    std::unique_ptr<offline::OfflinePlatform> installation_;
};

} // namespace tolvane
