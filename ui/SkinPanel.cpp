#include "ui/SkinPanel.h"

#include "platform/Platform.h"
#include "ui/CHollinDlg.h"
#include "ui/COverviewDlg.h"
#include "ui/CScannerProcessDlg.h"
#include "ui/CTabPanel.h"
#include "ui/Dialogs.h"
#include "ui/ProductInfo.h"
#include "ui/RegistrySession.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace tolvane {

namespace {

constexpr int captionLeft = 260;
constexpr int captionTop = 5;
constexpr int captionHeight = 38;
constexpr int decorationHeight = 44;

} // namespace

SkinPanel::SkinPanel(UiContext& context, const QString& caption, QWidget* parent)
    : QWidget(parent), context_(context), artwork_(context.theme), caption_(caption) {
    setFont(context.theme.bodyFont());
}

CTabPanel* SkinPanel::tabPanel() const {
    return owner_ != nullptr ? &owner_->tabPanel() : nullptr;
}

const Theme& SkinPanel::theme() const {
    return context_.theme;
}

bool SkinPanel::isBusy() const {
    return context_.busy != 0;
}

bool SkinPanel::refusedWhileBusy(const QString& action) {
    if (owner_ != nullptr) {
        return owner_->refusedWhileBusy(action);
    }
    return isBusy();
}

void SkinPanel::showStatus(const QString& text) {
    if (owner_ != nullptr) {
        owner_->showStatus(text);
    }
}

Platform* SkinPanel::requirePlatform() {
    if (Platform* platform = context_.session.platform()) {
        return platform;
    }
    context_.dialogs.error(this, product::name,
                           QStringLiteral("No Wine prefix is open. Choose the prefix to clean on "
                                          "the Settings page."));
    return nullptr;
}

bool SkinPanel::ensureWritable() {
    if (requirePlatform() == nullptr) {
        return false;
    }
    // Changes made on the old reading would overwrite what Wine wrote since: offer to read
    // the prefix again instead.
    if (context_.session.changedOnDisk()) {
        if (context_.dialogs.question(this, product::name, changedOnDiskQuestion)) {
            reloadPrefix();
        }
        return false;
    }
    if (auto writable = context_.session.ensureWritable(); !writable) {
        context_.dialogs.error(this, product::name,
                               QStringLiteral("The registry cannot be changed now: %1.")
                                   .arg(QString::fromStdString(writable.message())));
        return false;
    }
    return true;
}

void SkinPanel::reloadPrefix() {
    if (CTabPanel* tabs = tabPanel()) {
        if (auto* scan = dynamic_cast<CScannerProcessDlg*>(tabs->page(page::scanProgress))) {
            scan->reloadAndRescan();
        }
    }
}

std::optional<ChangeLock> SkinPanel::takeChangeLock() {
    Platform* platform = requirePlatform();
    if (platform == nullptr) {
        return std::nullopt;
    }
    auto taken = ChangeLock::take(platform->storage);
    if (!taken) {
        context_.dialogs.error(this, product::name,
                               QStringLiteral("The registry cannot be changed now: %1.")
                                   .arg(QString::fromStdString(taken.message())));
        return std::nullopt;
    }
    return std::move(taken.value());
}

void SkinPanel::refreshOverview() {
    if (CTabPanel* tabs = tabPanel()) {
        if (auto* overview = dynamic_cast<COverviewDlg*>(tabs->page(page::overview))) {
            overview->refreshOverview();
        }
    }
}

void SkinPanel::setDecoration(QPoint position, Artwork::Glyph glyph) {
    decorationPosition_ = position;
    decorationGlyph_ = glyph;
    update();
}

QLabel* SkinPanel::addLabel(const QString& objectName, const QString& text, const QRect& geometry,
                            const QFont& font, const QColor& colour) {
    auto* label = new QLabel(text, this);
    label->setObjectName(objectName);
    label->setGeometry(geometry);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

SkinButton* SkinPanel::addButton(const QString& objectName, SkinButton::Style style,
                                 const QString& text, std::optional<Artwork::Glyph> glyph,
                                 const QRect& geometry) {
    auto* button = new SkinButton(context_.theme, style, text, glyph, this);
    button->setObjectName(objectName);
    button->setGeometry(geometry);
    return button;
}

void SkinPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkinPanel::paintEvent(QPaintEvent*) {
    const Theme& colours = context_.theme;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(card.topLeft(), card.bottomLeft());
    fill.setColorAt(0, colours.pageTop());
    fill.setColorAt(1, colours.pageBottom());
    painter.setPen(QPen(colours.pageBorder(), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(card, 16, 16);

    if (decorationPosition_) {
        const QRectF band(decorationPosition_->x(), decorationPosition_->y(),
                          width() - 2 * decorationPosition_->x(), decorationHeight);
        QPainterPath clip;
        clip.addRoundedRect(band, 12, 12);
        painter.save();
        painter.setClipPath(clip);
        painter.fillRect(band, colours.decorationFill());
        artwork_.paintWave(painter, band);
        painter.restore();
        artwork_.paintBadge(
            painter, decorationGlyph_,
            QRectF(band.left() + 8, band.top() + 6, decorationHeight - 12, decorationHeight - 12));
    }

    // The caption sits at the top right; a long one moves left so that it stays whole.
    painter.setFont(colours.captionFont());
    const int captionWidth = QFontMetrics(painter.font()).horizontalAdvance(caption_);
    const int left = qMin(captionLeft, width() - 16 - captionWidth);
    painter.setPen(colours.captionText());
    painter.drawText(QRect(left, captionTop, captionWidth + 4, captionHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, caption_);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.accentGradient(QRectF(left, 0, captionWidth, 4)));
    painter.drawRoundedRect(QRectF(left, captionTop + captionHeight - 2, 36, 4), 2, 2);
}

} // namespace tolvane
