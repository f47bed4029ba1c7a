#pragma once

#include "platform/services/ChangeLock.h"
#include "ui/Artwork.h"
#include "ui/SkinButton.h"

#include <QString>
#include <QWidget>
#include <optional>

class QLabel;

namespace tolvane {

class CHollinDlg;
class CTabPanel;
class Theme;
struct Platform;
struct UiContext;

// Base of every page in the main window: the painted card with the page's caption at the top
// right and its decorative picture, access to the owner (the main window), the page container
// and the shared context, and the checks every action makes.
//
// A page that has a main action (Scanner: Scan, Defrag: Defrag, Backup: Create) overrides
// startMainAction. The Overview's Start buttons switch to the page and then queue a call to it,
// and "Run Scan at Startup" calls the Scanner page's; it must do exactly what the page's own
// button does, including nothing while `busy` is set.
class SkinPanel : public QWidget {
    Q_OBJECT
public:
    static inline const QString changedOnDiskQuestion =
        QStringLiteral("The Wine prefix has changed on disk since Tolvane read it (Wine or another "
                       "program ran in it). Reload it and scan again? Your ticks are kept for the "
                       "entries found again.");

    SkinPanel(UiContext& context, const QString& caption, QWidget* parent);

    // Set by the page container when it creates the pages.
    void setOwner(CHollinDlg* owner) { owner_ = owner; }
    CHollinDlg* owner() const { return owner_; }
    CTabPanel* tabPanel() const;

    virtual void startMainAction() {}

    const QString& caption() const { return caption_; }

protected:
    UiContext& context() const { return context_; }
    const Theme& theme() const;
    const Artwork& artwork() const { return artwork_; }
    bool isBusy() const;
    // Whether `busy` is set; if so the status line says that `action` waits for it.
    bool refusedWhileBusy(const QString& action);
    // A short outcome in the window's status line.
    void showStatus(const QString& text);

    // The registry to work on; null, after telling the user why, while none is open.
    Platform* requirePlatform();
    // Whether the registry may be changed now; tells the user why not (a wineserver runs for
    // the prefix, or none is open).
    bool ensureWritable();
    // Reads the open prefix again and scans it, keeping the ticks of the entries found again.
    void reloadPrefix();
    // Takes the registry's change lock for a change that follows (a fix, a restore); tells the
    // user why not when another Tolvane process holds it.
    std::optional<ChangeLock> takeChangeLock();
    // Rereads the four history values on the Overview page (after a scan, backup or defrag).
    void refreshOverview();

    // The decorative picture at `position`: a wave band with the page's badge.
    void setDecoration(QPoint position, Artwork::Glyph glyph);

    // Helpers that make a control with its object name, place it and give it the theme's look.
    QLabel* addLabel(const QString& objectName, const QString& text, const QRect& geometry,
                     const QFont& font, const QColor& colour);
    SkinButton* addButton(const QString& objectName, SkinButton::Style style, const QString& text,
                          std::optional<Artwork::Glyph> glyph, const QRect& geometry);

    void paintEvent(QPaintEvent* event) override;
    // Escape inside a page does nothing: only the window itself closes on Escape.
    void keyPressEvent(QKeyEvent* event) override;

private:
    UiContext& context_;
    Artwork artwork_;
    QString caption_;
    CHollinDlg* owner_ = nullptr;
    std::optional<QPoint> decorationPosition_;
    Artwork::Glyph decorationGlyph_ = Artwork::Glyph::overview;
};

} // namespace tolvane
