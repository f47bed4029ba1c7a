// The main window: navigation, the busy guard, hiding to the tray, the tray menu, help and
// the product page, dragging.
#include "tests/ui/UiBench.h"
#include "tests/ui/UiSuites.h"
#include "ui/CHollinDlg.h"
#include "ui/CMyAppTrayIcon.h"
#include "ui/CTabPanel.h"
#include "ui/ProductInfo.h"
#include "ui/SkinButton.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace tolvane::test {

namespace {

SkinButton* button(CHollinDlg& window, const char* name) {
    auto* found = window.findChild<SkinButton*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no button %s", name);
    }
    return found;
}

// Chooses a tray menu entry as a person does: the menu opens (its enabling runs), then the
// entry is picked, which does nothing when it is greyed.
void pick(CHollinDlg& window, QAction* (CMyAppTrayIcon::*entry)() const) {
    Q_EMIT window.trayIcon().menu().aboutToShow();
    (window.trayIcon().*entry)()->trigger();
    QCoreApplication::processEvents();
}

void click(CHollinDlg& window, const char* name) {
    QTest::mouseClick(button(window, name), Qt::LeftButton);
    QCoreApplication::processEvents();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsOnOverviewWithEveryPageOfItsOwn() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        CTabPanel& tabs = window->tabPanel();
        QCOMPARE(tabs.current(), page::overview);
        QVERIFY(tabs.page(page::overview)->isVisible());
        QVERIFY(tabs.page(page::empty) == nullptr);
        QCOMPARE(window->size(), QSize(700, 500));
        QCOMPARE(tabs.geometry(), QRect(QPoint(199, 96), QPoint(665, 463)));
        for (int slot : {page::settings, page::about}) {
            QVERIFY(tabs.page(slot) != nullptr);
            QVERIFY(!tabs.page(slot)->isVisible());
        }
        QVERIFY(window->trayIcon().exitAction() == window->trayIcon().menu().defaultAction());
    }

    void navigationShowsPagesAndTheShownPageDoesNothing() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        CTabPanel& tabs = window->tabPanel();
        QSignalSpy changes(&tabs, &CTabPanel::pageChanged);

        click(*window, "navOverview");
        QCOMPARE(changes.count(), 0);

        click(*window, "navSettings");
        QCOMPARE(tabs.current(), page::settings);
        QVERIFY(tabs.page(page::settings)->isVisible());
        QVERIFY(!tabs.page(page::overview)->isVisible());
        QVERIFY(button(*window, "navSettings")->isActive());
        QVERIFY(!button(*window, "navOverview")->isActive());
        QCOMPARE(changes.count(), 1);

        click(*window, "navSettings");
        QCOMPARE(changes.count(), 1);

        click(*window, "navAbout");
        QCOMPARE(tabs.current(), page::about);
        QVERIFY(button(*window, "navAbout")->isActive());
        // Slot 5 holds no page: it is never shown.
        QVERIFY(!tabs.switchTo(page::empty));
        QCOMPARE(tabs.current(), page::about);
    }

    void whileBusyOnlyHidingAndShowingWork() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        QSignalSpy finished(window.get(), &QDialog::finished);
        CTabPanel& tabs = window->tabPanel();
        bench.busy = 1;

        // Each refusal says so in the status line.
        click(*window, "navSettings");
        QCOMPARE(
            window->statusText(),
            QStringLiteral("The Settings page is not available while another operation runs."));
        click(*window, "navAbout");
        QCOMPARE(tabs.current(), page::overview);
        QCOMPARE(window->statusText(),
                 QStringLiteral("About is not available while another operation runs."));
        pick(*window, &CMyAppTrayIcon::aboutAction);
        QCOMPARE(tabs.current(), page::overview);

        pick(*window, &CMyAppTrayIcon::exitAction);
        window->showStatus(QString());
        click(*window, "closeButton");
        QCOMPARE(window->statusText(),
                 QStringLiteral("Closing is not available while another operation runs."));
        QVERIFY(!window->close());
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(window->isVisible());
        QCOMPARE(finished.count(), 0);

        click(*window, "hideButton");
        QVERIFY(!window->isVisible());
        pick(*window, &CMyAppTrayIcon::maximizeAction);
        QVERIFY(window->isVisible());
        pick(*window, &CMyAppTrayIcon::minimizeAction);
        QVERIFY(!window->isVisible());
        window->trayIcon().activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(window->isVisible());

        bench.busy = 0;
        click(*window, "navSettings");
        QCOMPARE(tabs.current(), page::settings);
    }

    void exitCloseAndEscapeEndTheProgramWhenIdle_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("tray Exit") << "exit" << int(QDialog::Accepted);
        QTest::newRow("close button") << "closeButton" << int(QDialog::Accepted);
        QTest::newRow("Escape") << "escape" << int(QDialog::Rejected);
        QTest::newRow("window closed") << "close" << int(QDialog::Rejected);
    }

    void exitCloseAndEscapeEndTheProgramWhenIdle() {
        QFETCH(QString, how);
        QFETCH(int, result);
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        QSignalSpy finished(window.get(), &QDialog::finished);
        if (how == "exit") {
            pick(*window, &CMyAppTrayIcon::exitAction);
        } else if (how == "escape") {
            QTest::keyClick(window.get(), Qt::Key_Escape);
        } else if (how == "close") {
            QVERIFY(window->close());
        } else {
            click(*window, how.toLatin1().constData());
        }
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), result);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->trayIcon().isShown());
    }

    void escapeInsideAPageDoesNothing() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        QSignalSpy finished(window.get(), &QDialog::finished);
        for (const char* page : {"navScanner", "navSettings", "navBackup"}) {
            click(*window, page);
            QWidget* shown = window->tabPanel().page(window->tabPanel().current());
            QTest::keyClick(shown, Qt::Key_Escape);
            for (QWidget* child : shown->findChildren<QWidget*>()) {
                if (child->isVisible() && child->focusPolicy() != Qt::NoFocus) {
                    QTest::keyClick(child, Qt::Key_Escape);
                }
            }
        }
        QCOMPARE(finished.count(), 0);
        QVERIFY(window->isVisible());
    }

    void trayMenuEnablesMinimizeOrMaximize() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        CMyAppTrayIcon& tray = window->trayIcon();
        Q_EMIT tray.menu().aboutToShow();
        QVERIFY(tray.minimizeAction()->isEnabled());
        QVERIFY(!tray.maximizeAction()->isEnabled());
        QVERIFY(tray.aboutAction()->isEnabled());
        QVERIFY(tray.exitAction()->isEnabled());

        window->hideToTray();
        Q_EMIT tray.menu().aboutToShow();
        QVERIFY(!tray.minimizeAction()->isEnabled());
        QVERIFY(tray.maximizeAction()->isEnabled());

        const QStringList captions = [&] {
            QStringList texts;
            for (QAction* action : tray.menu().actions()) {
                texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
            }
            return texts;
        }();
        QCOMPARE(captions, QStringList({"About...", "Minimize", "Maximize", "|", "Exit"}));
    }

    void aboutFromTheTrayShowsTheHiddenWindowOnTheAboutPage() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        click(*window, "navSettings");
        window->hideToTray();
        QVERIFY(!window->isVisible());
        pick(*window, &CMyAppTrayIcon::aboutAction);
        QVERIFY(window->isVisible());
        QCOMPARE(window->tabPanel().current(), page::about);
        QVERIFY(window->tabPanel().page(page::about)->isVisible());
    }

    void withoutATrayHidingMinimizes() {
        UiBench bench;
        bench.trayAvailable = false;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        click(*window, "hideButton");
        // Still reachable from the task bar: never hidden with no icon to bring it back.
        QVERIFY(window->isVisible());
        QVERIFY(window->isMinimized());
        window->trayIcon().activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(!window->isMinimized());
    }

    void startMinimizedHidesAfterTheFirstShow() {
        UiBench bench;
        bench.profile().writeProfileInt("Settings", "StartMinimized", 1);
        auto window = bench.makeWindow();
        window->show();
        QVERIFY(window->isVisible());
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(window->trayIcon().isShown() || !QSystemTrayIcon::isSystemTrayAvailable());
    }

    void helpAndBonusOpenTheirPages() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        click(*window, "navHelp");
        click(*window, "navBonus");
        QCOMPARE(bench.links.opened.size(), 2);
        QCOMPARE(bench.links.opened[0],
                 QUrl::fromLocalFile(QString::fromStdString(bench.context().helpFile.string())));
        QCOMPARE(bench.links.opened[1], QUrl(QString::fromLatin1(product::webPage)));
        click(*window, "navAbout");
        QTest::mouseClick(window->findChild<SkinButton*>("webPageLink"), Qt::LeftButton);
        QCOMPARE(bench.links.opened.size(), 3);
        QCOMPARE(bench.links.opened[2], QUrl(QString::fromLatin1(product::webPage)));
    }

    void linksTheDesktopCannotOpenAreGivenInTheStatusLine() {
        UiBench bench;
        bench.links.opens = false;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        const QString helpFile = QString::fromStdString(bench.context().helpFile.string());
        const QString webPage = QString::fromLatin1(product::webPage);
        click(*window, "navHelp");
        QCOMPARE(window->statusText(),
                 QStringLiteral("The help could not be opened; open %1 by hand.").arg(helpFile));
        click(*window, "navBonus");
        QVERIFY2(window->statusText().contains(webPage), qPrintable(window->statusText()));
        window->showStatus(QString());
        click(*window, "navAbout");
        QTest::mouseClick(window->findChild<SkinButton*>("webPageLink"), Qt::LeftButton);
        QVERIFY2(window->statusText().contains(webPage), qPrintable(window->statusText()));

        // A link that opens says nothing.
        bench.links.opens = true;
        window->showStatus(QString());
        click(*window, "navHelp");
        QCOMPARE(window->statusText(), QString());
    }

    void theUpperPartDragsTheWindow() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        QVERIFY(window->isDragArea(QPoint(300, 20)));
        QVERIFY(window->isDragArea(QPoint(5, 199)));
        QVERIFY(!window->isDragArea(QPoint(300, 200)));
        // Controls keep their clicks: the hide button and a navigation button.
        QVERIFY(!window->isDragArea(QPoint(645, 10)));
        QVERIFY(!window->isDragArea(QPoint(60, 110)));
        QCOMPARE(window->windowShape().boundingRect(), QRect(0, 0, 700, 500));
        QVERIFY(!window->windowShape().contains(QPoint(1, 1)));
        QVERIFY(window->windowShape().contains(QPoint(698, 1)));
        QVERIFY(window->windowShape().contains(QPoint(1, 498)));
        QVERIFY(!window->windowShape().contains(QPoint(698, 498)));
    }
};

std::unique_ptr<QObject> makeMainWindowTest() {
    return std::make_unique<MainWindowTest>();
}

} // namespace tolvane::test

#include "MainWindowTest.moc"
