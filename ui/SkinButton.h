#pragma once

#include "ui/Artwork.h"
#include "ui/HoverButton.h"

#include <optional>

namespace tolvane {

class Theme;

// The program's painted push button, in one of its looks; hover and press are drawn too.
class SkinButton : public HoverButton {
    Q_OBJECT
public:
    enum class Style {
        nav,       // navigation column, large: icon and caption, highlighted while active
        navSmall,  // navigation column, small
        title,     // hide and close in the window's corner: a glyph only
        primary,   // filled with the brand gradient
        secondary, // light fill, accent text
        tile,      // a card with a round badge and a caption of one or two lines
        link,      // underlined text on hover
    };

    SkinButton(const Theme& theme, Style style, const QString& text,
               std::optional<Artwork::Glyph> glyph, QWidget* parent);

    // The navigation button of the page on show.
    void setActive(bool active);
    bool isActive() const { return active_; }
    // The close button turns red on hover.
    void setDanger(bool danger) { danger_ = danger; }
    // Where a link's text sits in its area (left by default).
    void setTextAlignment(Qt::Alignment alignment) { alignment_ = alignment; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintNav(QPainter& painter, bool small);
    void paintTitle(QPainter& painter);
    void paintFilled(QPainter& painter, bool primary);
    void paintTile(QPainter& painter);
    void paintLink(QPainter& painter);

    const Theme& theme_;
    Artwork artwork_;
    Style style_;
    std::optional<Artwork::Glyph> glyph_;
    bool active_ = false;
    bool danger_ = false;
    Qt::Alignment alignment_ = Qt::AlignVCenter | Qt::AlignLeft;
};

} // namespace tolvane
