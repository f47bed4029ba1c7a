#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class QAction;
class QMenu;

namespace tolvane {

class CHollinDlg;
class Theme;

// The notification-area icon of the main window with its popup menu: About..., Minimize,
// Maximize, Exit. Minimize is enabled only while the window is visible, Maximize only while it
// is hidden; a double click hides or shows the window.
class CMyAppTrayIcon : public QObject {
    Q_OBJECT
public:
    CMyAppTrayIcon(CHollinDlg& owner, const Theme& theme, const QIcon& icon);
    ~CMyAppTrayIcon() override;

    void show();
    void remove();
    bool isShown() const;

    QMenu& menu() { return *menu_; }
    QAction* aboutAction() const { return about_; }
    QAction* minimizeAction() const { return minimize_; }
    QAction* maximizeAction() const { return maximize_; }
    QAction* exitAction() const { return exit_; }

    // A message from the icon (the desktop's notification); `notified` tells who listens.
    void notify(const QString& text);

Q_SIGNALS:
    void notified(const QString& text);

public:
    // Applies the enabling rules; runs each time the menu is about to open.
    void updateMenu();
    // What the icon does with a click: a double click toggles the window.
    void activate(QSystemTrayIcon::ActivationReason reason);

private:
    CHollinDlg& owner_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon* icon_ = nullptr;
    QAction* about_ = nullptr;
    QAction* minimize_ = nullptr;
    QAction* maximize_ = nullptr;
    QAction* exit_ = nullptr;
};

} // namespace tolvane
