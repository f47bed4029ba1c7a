#include "app/ScreenshotTour.h"

#include "app/CHollinApp.h"
#include "app/PrefixSession.h"
#include "app/ScanGate.h"
#include "maintenance/FullBackups.h"
#include "ui/CHollinDlg.h"
#include "ui/CPrefixPickerDlg.h"
#include "ui/CScannerFinishDlg.h"
#include "ui/CTabPanel.h"
#include "ui/PrefixCatalog.h"
#include "ui/PrefixCombo.h"
#include "ui/ProblemListModel.h"
#include "ui/ProblemReviewWindow.h"
#include "ui/SkinPanel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QPixmap>
#include <QThread>
#include <algorithm>

namespace tolvane {

ScreenshotTour::ScreenshotTour(CHollinApp& app, std::filesystem::path outputFolder, ScanGate* gate)
    : app_(app), outputFolder_(std::move(outputFolder)), gate_(gate) {}

template <typename Condition>
bool ScreenshotTour::waitFor(Condition done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

bool ScreenshotTour::showPage(int slot) {
    CTabPanel& tabs = app_.mainWindow()->tabPanel();
    if (tabs.page(slot) == nullptr) {
        return false;
    }
    tabs.switchTo(slot);
    return tabs.current() == slot;
}

void ScreenshotTour::shoot(const char* name) {
    CHollinDlg& window = *app_.mainWindow();
    // Let pending repaints and queued progress reach the widgets first.
    waitFor([] { return false; }, 150);
    const QPixmap pixels = window.grab();
    QImage shaped(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    shaped.fill(Qt::transparent);
    {
        QPainter painter(&shaped);
        painter.setClipRegion(CHollinDlg::windowShape());
        painter.drawPixmap(0, 0, pixels);
    }
    const auto file = outputFolder_ / (std::string(name) + ".png");
    if (shaped.save(QString::fromStdString(file.string()))) {
        written_.push_back(file);
    }
}

void ScreenshotTour::shootPicker() {
    CHollinDlg& window = *app_.mainWindow();
    auto* combo = window.findChild<PrefixCombo*>(QStringLiteral("prefixCombo"));
    if (combo == nullptr) {
        return;
    }
    combo->showPopup();
    QPointer<CPrefixPickerDlg> picker = combo->picker();
    if (!picker ||
        !waitFor([this] { return app_.prefixes().listed() && !app_.prefixes().refreshing(); },
                 20000)) {
        return;
    }
    picker->resize(640, 340);
    waitFor([] { return false; }, 150);
    const QPixmap back = window.grab();
    const QPixmap front = picker->grab();
    QImage shaped(back.size(), QImage::Format_ARGB32_Premultiplied);
    shaped.fill(Qt::transparent);
    {
        QPainter painter(&shaped);
        painter.setClipRegion(CHollinDlg::windowShape());
        painter.drawPixmap(0, 0, back);
        const QPoint corner((back.width() - front.width()) / 2,
                            (back.height() - front.height()) / 2);
        painter.fillRect(QRect(corner + QPoint(4, 4), front.size()), QColor(0, 0, 0, 90));
        painter.drawPixmap(corner, front);
    }
    picker->close();
    const auto file = outputFolder_ / "09-prefix-picker.png";
    if (shaped.save(QString::fromStdString(file.string()))) {
        written_.push_back(file);
    }
}

QPalette ScreenshotTour::darkPalette() {
    QPalette dark;
    const QColor window(0x2b, 0x2d, 0x31);
    const QColor base(0x1e, 0x1f, 0x22);
    const QColor text(0xe6, 0xe6, 0xe6);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8d, 0x93));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xe8));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Light, QColor(0x3c, 0x3f, 0x44));
    dark.setColor(QPalette::Midlight, QColor(0x35, 0x37, 0x3c));
    dark.setColor(QPalette::Mid, QColor(0x24, 0x25, 0x29));
    dark.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
    dark.setColor(QPalette::Shadow, Qt::black);
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x7a, 0x7c, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7a, 0x7c, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x7a, 0x7c, 0x80));
    return dark;
}

void ScreenshotTour::shootReview(const char* name) {
    CTabPanel& tabs = app_.mainWindow()->tabPanel();
    auto* results = dynamic_cast<CScannerFinishDlg*>(tabs.page(page::scanResults));
    if (results == nullptr || results->model().rowCount() == 0) {
        return;
    }
    results->openReview();
    ProblemReviewWindow* review = results->reviewWindow();
    if (review == nullptr) {
        return;
    }
    review->resize(900, 520);
    waitFor([] { return false; }, 300);
    const auto file = outputFolder_ / (std::string(name) + ".png");
    if (review->grab().save(QString::fromStdString(file.string()))) {
        written_.push_back(file);
    }
    review->close();
}

void ScreenshotTour::showMixedRows(CTabPanel& tabs) {
    auto* results = dynamic_cast<CScannerFinishDlg*>(tabs.page(page::scanResults));
    auto* list = tabs.findChild<QListView*>(QStringLiteral("resultsList"));
    ProblemListModel* model = results != nullptr ? &results->model() : nullptr;
    if (list == nullptr || model == nullptr || model->rowCount() < 6) {
        return;
    }
    // The list from its fourth row: the last record of one module and two of the next, one of
    // them unticked, as a user leaves out an entry they want to keep.
    model->toggle(4);
    list->scrollTo(model->index(3, 0), QAbstractItemView::PositionAtTop);
}

std::vector<std::filesystem::path> ScreenshotTour::run() {
    written_.clear();
    CHollinDlg& window = *app_.mainWindow();
    window.restoreFromTray();
    CTabPanel& tabs = window.tabPanel();
    std::atomic<int>& busy = app_.busy();
    waitFor([&] { return busy == 0; }, 60000);

    if (showPage(page::scanner)) {
        shoot("02-scanner");
        tabs.page(page::scanner)->startMainAction();
        const auto held = [this] { return gate_ == nullptr || gate_->reached(); };
        if (waitFor([&] { return tabs.current() == page::scanProgress && held(); }, 20000)) {
            waitFor([] { return false; }, 300);
            shoot("03-scan-progress");
        }
        if (gate_ != nullptr) {
            gate_->release();
        }
        if (waitFor([&] { return busy == 0 && tabs.current() == page::scanResults; }, 120000)) {
            showMixedRows(tabs);
            shoot("04-scan-results");
        }
    }
    if (showPage(page::overview)) {
        shoot("01-overview");
    }
    if (showPage(page::defrag)) {
        shoot("05-defrag");
    }
    if (Platform* platform = app_.session().platform(); platform && tabs.page(page::backup)) {
        FullBackups backups(*platform);
        for (int i = 0; i < 2; ++i) {
            (void)backups.create();
            // Backup folders are named to the millisecond.
            QThread::msleep(5);
        }
        if (showPage(page::backup)) {
            shoot("06-backup");
        }
    }
    if (showPage(page::settings)) {
        shoot("07-settings");
    }
    if (showPage(page::about)) {
        shoot("08-about");
    }
    if (showPage(page::overview)) {
        shootPicker();
    }
    shootReview("10-review");
    // The same window as it looks on a dark desktop.
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkPalette());
    shootReview("11-review-dark");
    QApplication::setPalette(light);
    std::sort(written_.begin(), written_.end());
    return written_;
}

} // namespace tolvane
