#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPalette>
#include <QRectF>

namespace tolvane {

// Every colour, brush and font of the program's skin, in one place. Widgets ask the theme
// instead of naming colours themselves, so the look can change here alone.
class Theme {
public:
    // Window and side column.
    QColor windowTop() const { return {0x16, 0x1c, 0x3a}; }
    QColor windowBottom() const { return {0x24, 0x2f, 0x63}; }
    QColor windowEdge() const { return {0x0c, 0x10, 0x24}; }
    QColor headerText() const { return {0xff, 0xff, 0xff}; }
    QColor headerSubtext() const { return {0xa9, 0xb6, 0xe8}; }
    QColor footerText() const { return {0x8f, 0x9c, 0xd0}; }

    // Accent: the brand gradient from teal to violet.
    QColor accentStart() const { return {0x1f, 0xd1, 0xc1}; }
    QColor accentEnd() const { return {0x6c, 0x5c, 0xf5}; }
    QColor accent() const { return {0x3f, 0x8e, 0xf0}; }
    QColor accentDark() const { return {0x2c, 0x5f, 0xc9}; }
    QLinearGradient accentGradient(const QRectF& area) const;

    // Navigation buttons on the dark column.
    QColor navText() const { return {0xd9, 0xe0, 0xff}; }
    QColor navTextActive() const { return {0xff, 0xff, 0xff}; }
    QColor navHover() const { return {0xff, 0xff, 0xff, 0x1e}; }
    QColor navPressed() const { return {0xff, 0xff, 0xff, 0x32}; }
    QColor navDisabledText() const { return {0x6f, 0x79, 0xa6}; }

    // Pages: a light card with dark text.
    QColor pageTop() const { return {0xfb, 0xfc, 0xff}; }
    QColor pageBottom() const { return {0xee, 0xf2, 0xfa}; }
    QColor pageBorder() const { return {0xd5, 0xdc, 0xee}; }
    QColor pageShadow() const { return {0x05, 0x08, 0x18, 0x70}; }
    QColor text() const { return {0x1d, 0x24, 0x45}; }
    QColor mutedText() const { return {0x66, 0x70, 0x94}; }
    QColor captionText() const { return {0x26, 0x3a, 0x8c}; }
    QColor separator() const { return {0xdd, 0xe3, 0xf2}; }
    QColor cardFill() const { return {0xff, 0xff, 0xff}; }
    QColor cardBorder() const { return {0xdf, 0xe5, 0xf4}; }
    QColor decorationFill() const { return {0x3f, 0x8e, 0xf0, 0x16}; }
    QColor decorationLine() const { return {0x3f, 0x8e, 0xf0, 0x40}; }

    // Buttons and check boxes on a page.
    QColor buttonText() const { return {0xff, 0xff, 0xff}; }
    QColor buttonHoverGlow() const { return {0xff, 0xff, 0xff, 0x30}; }
    QColor buttonPressedShade() const { return {0x00, 0x00, 0x30, 0x30}; }
    QColor buttonDisabled() const { return {0xbf, 0xc6, 0xd9}; }
    QColor secondaryButtonFill() const { return {0xe8, 0xee, 0xfb}; }
    QColor secondaryButtonText() const { return {0x2c, 0x4a, 0xa8}; }
    QColor linkText() const { return {0x2c, 0x5f, 0xc9}; }
    QColor linkHover() const { return {0x6c, 0x5c, 0xf5}; }
    QColor checkOff() const { return {0xc9, 0xd1, 0xe6}; }
    QColor checkOffKnob() const { return {0xff, 0xff, 0xff}; }
    QColor checkMark() const { return {0xff, 0xff, 0xff}; }
    QColor focusRing() const { return {0x6c, 0x5c, 0xf5, 0x90}; }

    // Title bar buttons (hide, close).
    QColor titleButton() const { return {0xff, 0xff, 0xff, 0x26}; }
    QColor titleButtonHover() const { return {0xff, 0xff, 0xff, 0x44}; }
    QColor closeHover() const { return {0xe8, 0x4a, 0x5f}; }
    QColor titleGlyph() const { return {0xff, 0xff, 0xff}; }

    // Progress bar.
    QColor barGroove() const { return {0xe1, 0xe7, 0xf5}; }
    QColor barHighlight() const { return {0xff, 0xff, 0xff, 0x50}; }

    // Lists (rows of results and backups).
    QColor rowFill() const { return {0xff, 0xff, 0xff}; }
    QColor rowAlternate() const { return {0xf6, 0xf8, 0xfe}; }
    QColor rowSelected() const { return {0xdc, 0xe7, 0xff}; }
    QColor rowDisabledText() const { return {0xa4, 0xab, 0xc4}; }
    QColor rowDivider() const { return {0xec, 0xf0, 0xf8}; }
    // The frame and scroll bar of the page lists.
    QString listStyleSheet() const;

    // The tint of each scan module's icon, by module number (0 to 12).
    QColor moduleTint(int moduleId) const;
    // The tint of each Wine launcher's icon, by LauncherIcons::Launcher.
    QColor launcherTint(int launcher) const;

    // Message boxes shown through Dialogs: our light colours for the box and every text in it.
    QPalette dialogPalette() const;
    QString dialogStyleSheet() const;
    // The tray icon's popup menu.
    QString menuStyleSheet() const;

    // Fonts: the family the desktop offers, at the program's sizes.
    QFont titleFont() const;
    QFont captionFont() const;
    QFont navFont() const;
    QFont navSmallFont() const;
    QFont bodyFont() const;
    QFont valueFont() const;
    QFont smallFont() const;
    QFont buttonFont() const;
};

} // namespace tolvane
