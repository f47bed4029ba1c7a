#include "ui/CMyAppTrayIcon.h"

#include "ui/CHollinDlg.h"
#include "ui/ProductInfo.h"
#include "ui/Theme.h"

#include <QAction>
#include <QMenu>

namespace tolvane {

CMyAppTrayIcon::CMyAppTrayIcon(CHollinDlg& owner, const Theme& theme, const QIcon& icon)
    : QObject(&owner), owner_(owner), menu_(std::make_unique<QMenu>()) {
    setObjectName(QStringLiteral("trayIcon"));
    menu_->setObjectName(QStringLiteral("trayMenu"));
    menu_->setStyleSheet(theme.menuStyleSheet());
    about_ = menu_->addAction(QStringLiteral("About..."));
    about_->setObjectName(QStringLiteral("trayAbout"));
    minimize_ = menu_->addAction(QStringLiteral("Minimize"));
    minimize_->setObjectName(QStringLiteral("trayMinimize"));
    maximize_ = menu_->addAction(QStringLiteral("Maximize"));
    maximize_->setObjectName(QStringLiteral("trayMaximize"));
    menu_->addSeparator();
    exit_ = menu_->addAction(QStringLiteral("Exit"));
    exit_->setObjectName(QStringLiteral("trayExit"));
    menu_->setDefaultAction(exit_);

    connect(about_, &QAction::triggered, &owner_, &CHollinDlg::aboutCommand);
    connect(minimize_, &QAction::triggered, &owner_, &CHollinDlg::hideToTray);
    connect(maximize_, &QAction::triggered, &owner_, &CHollinDlg::restoreFromTray);
    connect(exit_, &QAction::triggered, &owner_, &CHollinDlg::exitCommand);
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
        updateMenu();
        if (owner_.isVisible()) {
            owner_.raise();
            owner_.activateWindow();
        }
    });

    icon_ = new QSystemTrayIcon(icon, this);
    icon_->setToolTip(QString::fromLatin1(product::name));
    icon_->setContextMenu(menu_.get());
    connect(icon_, &QSystemTrayIcon::activated, this, &CMyAppTrayIcon::activate);
    updateMenu();
}

CMyAppTrayIcon::~CMyAppTrayIcon() {
    remove();
    // The icon goes before the menu it shows.
    delete icon_;
}

void CMyAppTrayIcon::notify(const QString& text) {
    icon_->showMessage(QString::fromLatin1(product::name), text);
    Q_EMIT notified(text);
}

void CMyAppTrayIcon::show() {
    icon_->show();
}

void CMyAppTrayIcon::remove() {
    icon_->hide();
}

bool CMyAppTrayIcon::isShown() const {
    return icon_->isVisible();
}

void CMyAppTrayIcon::updateMenu() {
    const bool visible = owner_.isShownOnScreen();
    minimize_->setEnabled(visible);
    maximize_->setEnabled(!visible);
}

void CMyAppTrayIcon::activate(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) {
        owner_.toggleVisible();
    } else if (reason == QSystemTrayIcon::Context) {
        updateMenu();
    }
}

} // namespace tolvane
