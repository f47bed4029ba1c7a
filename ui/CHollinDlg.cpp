#include "ui/CHollinDlg.h"

#include "platform/ProfileStore.h"
#include "ui/CMyAppTrayIcon.h"
#include "ui/CTabPanel.h"
#include "ui/LinkOpener.h"
#include "ui/PrefixCatalog.h"
#include "ui/ProductInfo.h"
#include "ui/RegistrySession.h"
#include "ui/SkinButton.h"
#include "ui/SkinPanel.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace tolvane {

namespace {

// The controls below `area` that Tab reaches, in reading order: rows from the top (controls whose
// middles lie within a few pixels share a row), each row from the left.
std::vector<QWidget*> inReadingOrder(QWidget& area) {
    constexpr int rowTolerance = 12;
    struct Placed {
        QWidget* widget;
        QRect box;
    };
    std::vector<Placed> placed;
    for (QWidget* widget : area.findChildren<QWidget*>()) {
        if (widget->isWindow() || (widget->focusPolicy() & Qt::TabFocus) == 0 ||
            widget->focusProxy() != nullptr) {
            continue;
        }
        // A control's own parts (a combo box's editor) follow their control.
        bool part = false;
        for (QWidget* up = widget->parentWidget(); up != nullptr && up != &area;
             up = up->parentWidget()) {
            part = part || (up->focusPolicy() & Qt::TabFocus) != 0;
        }
        if (!part) {
            placed.push_back({widget, QRect(widget->mapTo(&area, QPoint(0, 0)), widget->size())});
        }
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.box.center().y() < b.box.center().y();
    });
    std::vector<QWidget*> order;
    for (auto row = placed.begin(); row != placed.end();) {
        auto end = row;
        while (end != placed.end() &&
               end->box.center().y() - row->box.center().y() <= rowTolerance) {
            ++end;
        }
        std::stable_sort(
            row, end, [](const Placed& a, const Placed& b) { return a.box.left() < b.box.left(); });
        for (auto it = row; it != end; ++it) {
            order.push_back(it->widget);
        }
        row = end;
    }
    return order;
}

// The navigation buttons and the pages they show; the scan's own pages light up "Scanner".
struct NavigationEntry {
    const char* objectName;
    const char* caption;
    Artwork::Glyph glyph;
    int slot;
    QPoint position;
};

constexpr std::array<NavigationEntry, 5> pageButtons{{
    {"navOverview", "Overview", Artwork::Glyph::overview, page::overview, {33, 98}},
    {"navScanner", "Scanner", Artwork::Glyph::scanner, page::scanner, {33, 148}},
    {"navDefrag", "Defrag", Artwork::Glyph::defrag, page::defrag, {33, 198}},
    {"navBackup", "Backup", Artwork::Glyph::backup, page::backup, {33, 248}},
    {"navSettings", "Settings", Artwork::Glyph::settings, page::settings, {47, 348}},
}};

constexpr QSize largeNavigation(150, 42);
constexpr QSize smallNavigation(130, 30);
const QRect pageArea(QPoint(199, 96), QPoint(665, 463));

int navigationIndexOf(int slot) {
    switch (slot) {
    case page::overview:
        return 0;
    case page::scanner:
    case page::scanProgress:
    case page::scanResults:
        return 1;
    case page::defrag:
        return 2;
    case page::backup:
        return 3;
    case page::settings:
        return 4;
    case page::about:
        return 5;
    default:
        return -1;
    }
}

} // namespace

CHollinDlg::CHollinDlg(UiContext& context, QWidget* parent)
    : QDialog(parent), context_(context), artwork_(context.theme) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    const QIcon icon = artwork_.appIcon();
    setWindowIcon(icon);
    setWindowTitle(QString::fromLatin1(product::name));
    // Read once at start: the window shows, then hides itself to the tray.
    startHidden_ = context_.profile.getProfileInt("Settings", "StartMinimized", 0) != 0;

    for (std::size_t i = 0; i < pageButtons.size(); ++i) {
        const auto& entry = pageButtons[i];
        const bool large = entry.slot != page::settings;
        SkinButton* button = makeButton(
            entry.objectName,
            static_cast<int>(large ? SkinButton::Style::nav : SkinButton::Style::navSmall),
            QString::fromLatin1(entry.caption), entry.glyph,
            QRect(entry.position, large ? largeNavigation : smallNavigation));
        navigation_[i] = button;
        const int slot = entry.slot;
        connect(button, &SkinButton::clicked, this, [this, slot] { showPage(slot); });
    }
    const auto smallStyle = static_cast<int>(SkinButton::Style::navSmall);
    SkinButton* bonus = makeButton("navBonus", smallStyle, QStringLiteral("Bonus"),
                                   Artwork::Glyph::bonus, QRect(QPoint(47, 313), smallNavigation));
    connect(bonus, &SkinButton::clicked, this, &CHollinDlg::bonusCommand);
    SkinButton* help = makeButton("navHelp", smallStyle, QStringLiteral("Help"),
                                  Artwork::Glyph::help, QRect(QPoint(47, 383), smallNavigation));
    connect(help, &SkinButton::clicked, this, &CHollinDlg::helpCommand);
    SkinButton* about = makeButton("navAbout", smallStyle, QStringLiteral("About"),
                                   Artwork::Glyph::about, QRect(QPoint(47, 418), smallNavigation));
    connect(about, &SkinButton::clicked, this, &CHollinDlg::aboutCommand);
    navigation_[5] = about;

    const auto titleStyle = static_cast<int>(SkinButton::Style::title);
    SkinButton* hideButton = makeButton("hideButton", titleStyle, QStringLiteral("-"),
                                        Artwork::Glyph::minimize, QRect(640, 5, 22, 22));
    hideButton->setToolTip(QStringLiteral("Hide to the notification area"));
    hideButton->setAccessibleName(hideButton->toolTip());
    connect(hideButton, &SkinButton::clicked, this, &CHollinDlg::hideToTray);
    SkinButton* closeButton = makeButton("closeButton", titleStyle, QStringLiteral("-"),
                                         Artwork::Glyph::close, QRect(665, 5, 22, 22));
    closeButton->setDanger(true);
    closeButton->setToolTip(QStringLiteral("Close"));
    closeButton->setAccessibleName(closeButton->toolTip());
    connect(closeButton, &SkinButton::clicked, this, [this] { done(QDialog::Accepted); });

    setFixedSize(windowWidth, windowHeight);
    setMask(windowShape());

    tabs_ = new CTabPanel(context_, this);
    tabs_->setGeometry(pageArea);
    connect(tabs_, &CTabPanel::pageChanged, this, &CHollinDlg::markActiveNavigation);
    tabs_->createPages(*this);
    markActiveNavigation(tabs_->current());
    orderTabs({hideButton, closeButton});

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLine"));
    status_->setGeometry(pageArea.left() + 4, pageArea.bottom() + 8, pageArea.width() - 8, 18);
    status_->setFont(context_.theme.smallFont());
    QPalette palette = status_->palette();
    palette.setColor(QPalette::WindowText, context_.theme.footerText());
    status_->setPalette(palette);
    connect(&context_.session, &RegistrySession::platformChanged, this,
            [this] { showStatus(QString()); });
    if (context_.prefixes != nullptr) {
        connect(context_.prefixes, &PrefixCatalog::refreshed, this,
                [this] { showStatus(message_); });
    }
    showStatus(QString());

    tray_ = new CMyAppTrayIcon(*this, context_.theme, icon);
    tray_->show();
}

CHollinDlg::~CHollinDlg() = default;

SkinButton* CHollinDlg::makeButton(const char* objectName, int style, const QString& text,
                                   std::optional<Artwork::Glyph> glyph, QRect geometry) {
    auto* button =
        new SkinButton(context_.theme, static_cast<SkinButton::Style>(style), text, glyph, this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(geometry);
    return button;
}

QRegion CHollinDlg::windowShape() {
    constexpr int corner = 50;
    QRegion shape(corner / 2, 0, windowWidth - corner, windowHeight);
    shape += QRegion(0, corner / 2, windowWidth, windowHeight - corner);
    shape += QRegion(0, 0, corner, corner, QRegion::Ellipse);
    shape += QRegion(windowWidth - corner, windowHeight - corner, corner, corner, QRegion::Ellipse);
    // Square corners at the top right and bottom left.
    shape += QRegion(windowWidth - corner, 0, corner, corner);
    shape += QRegion(0, windowHeight - corner, corner, corner);
    return shape;
}

bool CHollinDlg::isShownOnScreen() const {
    return isVisible() && !isMinimized();
}

bool CHollinDlg::isDragArea(QPoint point) const {
    return point.y() >= 0 && point.y() < dragHeight && point.x() >= 0 && point.x() < width() &&
           childAt(point) == nullptr;
}

void CHollinDlg::orderTabs(const std::vector<QWidget*>& corner) {
    // The navigation column, then the page on show (hidden pages are passed over), then the
    // window's corner buttons.
    std::vector<QWidget*> chain;
    for (SkinButton* button : findChildren<SkinButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (std::find(corner.begin(), corner.end(), button) == corner.end()) {
            chain.push_back(button);
        }
    }
    std::stable_sort(chain.begin(), chain.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    for (int slot = 0; slot < CTabPanel::slotCount; ++slot) {
        if (SkinPanel* page = tabs_->page(slot)) {
            const auto controls = inReadingOrder(*page);
            chain.insert(chain.end(), controls.begin(), controls.end());
        }
    }
    chain.insert(chain.end(), corner.begin(), corner.end());
    for (std::size_t at = 1; at < chain.size(); ++at) {
        QWidget::setTabOrder(chain[at - 1], chain[at]);
    }
}

void CHollinDlg::markActiveNavigation(int slot) {
    const int active = navigationIndexOf(slot);
    for (std::size_t i = 0; i < navigation_.size(); ++i) {
        if (navigation_[i] != nullptr) {
            navigation_[i]->setActive(static_cast<int>(i) == active);
        }
    }
}

void CHollinDlg::showStatus(const QString& text) {
    // An outcome takes the line until the next one; without one it names the registry being
    // cleaned.
    message_ = text;
    QString shown = text;
    QString tip = text;
    if (shown.isEmpty()) {
        const auto folder = context_.session.folder();
        shown = context_.session.describe();
        if (context_.prefixes != nullptr && !folder.empty()) {
            const auto title = context_.prefixes->title(folder);
            shown = QStringLiteral("Cleaning %1 prefix %2").arg(title.launcher, title.name);
        }
        tip = folder.empty() ? shown : QString::fromStdString(folder.string());
    }
    status_->setText(
        QFontMetrics(status_->font()).elidedText(shown, Qt::ElideMiddle, status_->width()));
    status_->setToolTip(tip);
    status_->setAccessibleName(shown);
}

QString CHollinDlg::statusText() const {
    return message_;
}

void CHollinDlg::showPage(int slot) {
    const SkinPanel* page = tabs_->page(slot);
    if (page == nullptr || slot == tabs_->current() ||
        refusedWhileBusy(QStringLiteral("The %1 page").arg(page->caption()))) {
        return;
    }
    tabs_->switchTo(slot);
}

void CHollinDlg::aboutCommand() {
    if (refusedWhileBusy(QStringLiteral("About"))) {
        return;
    }
    if (!isShownOnScreen()) {
        restoreFromTray();
    }
    tabs_->switchTo(page::about);
}

void CHollinDlg::helpCommand() {
    const QString file = QString::fromStdString(context_.helpFile.string());
    if (!context_.links.open(QUrl::fromLocalFile(file))) {
        showStatus(QStringLiteral("The help could not be opened; open %1 by hand.").arg(file));
    }
}

void CHollinDlg::bonusCommand() {
    openWebPage();
}

void CHollinDlg::openWebPage() {
    const QString address = QString::fromLatin1(product::webPage);
    if (!context_.links.open(QUrl(address))) {
        showStatus(QStringLiteral("The web page could not be opened; visit %1 in a browser.")
                       .arg(address));
    }
}

bool CHollinDlg::refusedWhileBusy(const QString& action) {
    if (context_.busy == 0) {
        return false;
    }
    showStatus(QStringLiteral("%1 is not available while another operation runs.").arg(action));
    return true;
}

void CHollinDlg::notify(const QString& text) {
    if (!isShownOnScreen()) {
        tray_->notify(text);
    }
}

void CHollinDlg::hideToTray() {
    if (context_.trayAvailable && context_.trayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void CHollinDlg::restoreFromTray() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void CHollinDlg::toggleVisible() {
    if (isShownOnScreen()) {
        hideToTray();
    } else {
        restoreFromTray();
    }
}

void CHollinDlg::exitCommand() {
    done(QDialog::Accepted);
}

void CHollinDlg::done(int result) {
    if (refusedWhileBusy(QStringLiteral("Closing"))) {
        return;
    }
    tray_->remove();
    QDialog::done(result);
}

void CHollinDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        if (startHidden_) {
            // Queued, so the window is drawn once before it goes to the tray.
            QTimer::singleShot(0, this, &CHollinDlg::hideToTray);
        }
    }
}

void CHollinDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !isDragArea(point)) {
        QDialog::mousePressEvent(event);
        return;
    }
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    // The window system cannot move it for us: follow the mouse ourselves.
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void CHollinDlg::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CHollinDlg::mouseReleaseEvent(QMouseEvent* event) {
    dragOffset_.reset();
    QDialog::mouseReleaseEvent(event);
}

void CHollinDlg::paintEvent(QPaintEvent*) {
    const Theme& colours = context_.theme;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The window: a deep gradient with round top-left and bottom-right corners.
    QPainterPath shape;
    const QRectF area(0, 0, width(), height());
    constexpr qreal radius = 25;
    shape.moveTo(area.left() + radius, area.top());
    shape.lineTo(area.right(), area.top());
    shape.lineTo(area.right(), area.bottom() - radius);
    shape.quadTo(area.right(), area.bottom(), area.right() - radius, area.bottom());
    shape.lineTo(area.left(), area.bottom());
    shape.lineTo(area.left(), area.top() + radius);
    shape.quadTo(area.left(), area.top(), area.left() + radius, area.top());
    QLinearGradient background(area.topLeft(), area.bottomRight());
    background.setColorAt(0, colours.windowTop());
    background.setColorAt(1, colours.windowBottom());
    painter.fillPath(shape, background);

    // A soft glow of the accent behind the header and the side column.
    QRadialGradient glow(QPointF(120, 40), 260);
    QColor glowColour = colours.accentEnd();
    glowColour.setAlpha(70);
    glow.setColorAt(0, glowColour);
    glow.setColorAt(1, Qt::transparent);
    painter.fillPath(shape, glow);
    QRadialGradient lowGlow(QPointF(640, 520), 300);
    QColor lowColour = colours.accentStart();
    lowColour.setAlpha(45);
    lowGlow.setColorAt(0, lowColour);
    lowGlow.setColorAt(1, Qt::transparent);
    painter.fillPath(shape, lowGlow);

    // Header: the logo, the name and what the program does.
    artwork_.paintLogo(painter, QRectF(30, 24, 48, 48));
    painter.setPen(colours.headerText());
    painter.setFont(colours.titleFont());
    painter.drawText(QRectF(92, 20, 300, 34), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(product::name));
    painter.setPen(colours.headerSubtext());
    painter.setFont(colours.smallFont());
    painter.drawText(QRectF(93, 52, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Registry cleaner for Windows and Wine prefixes"));

    // A divider between the page and the side buttons.
    painter.setPen(QPen(colours.navHover(), 1));
    painter.drawLine(QPointF(40, 300), QPointF(175, 300));

    // The page card's shadow.
    for (int ring = 1; ring <= 6; ++ring) {
        QColor shade = colours.pageShadow();
        shade.setAlpha(shade.alpha() / (ring + 1));
        painter.setPen(QPen(shade, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(pageArea).adjusted(-ring, -ring + 2, ring, ring + 2),
                                16 + ring, 16 + ring);
    }

    painter.setPen(QPen(colours.windowEdge(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

} // namespace tolvane
