#pragma once

#include "ui/Artwork.h"

#include <QDialog>
#include <QPoint>
#include <array>
#include <optional>
#include <vector>

class QLabel;

namespace tolvane {

class CMyAppTrayIcon;
class CTabPanel;
class SkinButton;
struct UiContext;

// The program's one top-level window: a frameless 700 by 500 dialog with its own shape and
// skin, dragged by its upper 200 pixels, with the navigation column on the left, the page
// container on the right, hide and close buttons in the corner and an icon in the notification
// area. While an operation runs (`busy`), page switches, About, Exit, close and Escape do
// nothing; hiding and showing still work.
class CHollinDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int windowWidth = 700;
    static constexpr int windowHeight = 500;
    static constexpr int dragHeight = 200;

    explicit CHollinDlg(UiContext& context, QWidget* parent = nullptr);
    ~CHollinDlg() override;

    CTabPanel& tabPanel() { return *tabs_; }
    CMyAppTrayIcon& trayIcon() { return *tray_; }
    // The line under the page that names the registry being cleaned.
    QLabel& statusLine() { return *status_; }
    // Visible and not minimized: what the tray menu's enabling looks at.
    bool isShownOnScreen() const;
    // Whether a press at `point` (window coordinates) starts moving the window.
    bool isDragArea(QPoint point) const;
    // The window's shape: top-left and bottom-right corners round, the other two square.
    static QRegion windowShape();

    // A short outcome in the status line under the page (Apply, Stop, refusals, failed links);
    // an empty text puts the name of the registry being cleaned back.
    void showStatus(const QString& text);
    QString statusText() const;

    // Whether `busy` is set; if so the status line says that `action` waits for it.
    bool refusedWhileBusy(const QString& action);
    // A desktop notification, given only while the window is in the tray or minimized.
    void notify(const QString& text);
    // The program's web page in the browser; where none opens, the status line gives the address.
    void openWebPage();

    // Ends the program (as OK or Cancel); refused while `busy` is set.
    void done(int result) override;

public Q_SLOTS:
    void showPage(int slot);
    void aboutCommand();
    void helpCommand();
    void bonusCommand();
    // To the notification area (minimized instead where the desktop shows no tray icons).
    void hideToTray();
    void restoreFromTray();
    void toggleVisible();
    void exitCommand();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    SkinButton* makeButton(const char* objectName, int style, const QString& text,
                           std::optional<Artwork::Glyph> glyph, QRect geometry);
    void markActiveNavigation(int slot);
    // Tab goes down the navigation column, through the page as it reads, then to `corner`.
    void orderTabs(const std::vector<QWidget*>& corner);

    UiContext& context_;
    Artwork artwork_;
    CTabPanel* tabs_ = nullptr;
    CMyAppTrayIcon* tray_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<SkinButton*, 6> navigation_{};
    bool startHidden_ = false;
    bool shownOnce_ = false;
    std::optional<QPoint> dragOffset_;
    // The outcome the status line shows; empty while it names the registry.
    QString message_;
};

} // namespace tolvane
