#include "ui/CAboutDlg.h"

#include "ui/CHollinDlg.h"
#include "ui/LinkOpener.h"
#include "ui/ProductInfo.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <QPainter>
#include <QUrl>

namespace tolvane {

namespace {

const QPoint productImage(95, 130);

QString shownAddress() {
    QString address = QString::fromLatin1(product::webPage);
    address.remove(QStringLiteral("https://"));
    if (address.endsWith(QLatin1Char('/'))) {
        address.chop(1);
    }
    return address;
}

} // namespace

CAboutDlg::CAboutDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("About"), parent) {
    setObjectName(QStringLiteral("aboutPage"));
    setDecoration(QPoint(10, 50), Artwork::Glyph::about);
    addLabel(QStringLiteral("aboutIntro"), QStringLiteral("About this program"),
             QRect(58, 50, 300, 44), theme().valueFont(), theme().captionText());
    addLabel(QStringLiteral("versionLabel"),
             QStringLiteral("Version %1").arg(QString::fromLatin1(product::version)),
             QRect(160, 180, 200, 22), theme().valueFont(), theme().mutedText());
    SkinButton* link = addButton(QStringLiteral("webPageLink"), SkinButton::Style::link,
                                 shownAddress(), std::nullopt, QRect(75, 210, 270, 26));
    link->setTextAlignment(Qt::AlignCenter);
    link->setToolTip(QString::fromLatin1(product::webPage));
    connect(link, &SkinButton::clicked, this, &CAboutDlg::openWebPage);

    QLabel* blurb = addLabel(
        QStringLiteral("aboutText"),
        QStringLiteral("Tolvane finds registry entries that point at files, folders, COM classes "
                       "or keys that no longer exist, and removes the ones you tick after saving "
                       "them to .reg backups. On Linux it cleans the registry of a Wine prefix."),
        QRect(40, 256, 390, 80), theme().smallFont(), theme().mutedText());
    blurb->setWordWrap(true);
    blurb->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void CAboutDlg::openWebPage() {
    if (owner() != nullptr) {
        owner()->openWebPage();
    } else {
        (void)context().links.open(QUrl(QString::fromLatin1(product::webPage)));
    }
}

void CAboutDlg::paintEvent(QPaintEvent* event) {
    SkinPanel::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The product picture: the logo with the name beside it.
    artwork().paintLogo(painter, QRectF(productImage.x(), productImage.y() - 8, 44, 44));
    painter.setPen(theme().text());
    QFont name = theme().titleFont();
    name.setPixelSize(34);
    painter.setFont(name);
    painter.drawText(QRectF(productImage.x() + 56, productImage.y() - 12, 240, 48),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(product::name));
}

} // namespace tolvane
