#include "tests/ui/UiBench.h"

#include "ui/CHollinDlg.h"

#include <QCoreApplication>
#include <QTest>

namespace tolvane::test {

bool TestSession::choose(QWidget* parent) {
    ++chooseCalls;
    const auto folder = dialogs_.chooseFolder(parent, QStringLiteral("Choose"), location_);
    if (!folder) {
        return false;
    }
    location_ = *folder;
    Q_EMIT platformChanged();
    return true;
}

bool TestSession::openFolder(const std::filesystem::path& folder, QWidget*) {
    folder_ = folder;
    location_ = QString::fromStdString(folder.string());
    Q_EMIT platformChanged();
    return true;
}

UiBench::UiBench()
    : session(&platform.platform(), dialogs),
      profile_(profileRegistry_, hkeyCurrentUser,
               RegistryProfileStore::applicationKeyFor("tolvane"),
               [this] {
                   if (onProfileSaved) {
                       onProfileSaved();
                   }
                   return Result<void>();
               }),
      autostart_(scratch_ / "config", "/opt/tolvane/bin/tolvane"),
      context_{busy,
               profile_,
               session,
               autostart_,
               dialogs,
               links,
               theme,
               [](Platform&) -> ModuleFactory {
                   return [](int, ModuleSet&) -> std::unique_ptr<CModule> { return nullptr; };
               },
               scratch_ / "bin" / "Tolvane.html",
               [this] { return trayAvailable; },
               nullptr} {}

UiBench::~UiBench() = default;

std::unique_ptr<CHollinDlg> UiBench::makeWindow() {
    return std::make_unique<CHollinDlg>(context_);
}

void UiBench::showAndSettle(CHollinDlg& window) {
    window.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace tolvane::test
