// Keyboard and assistive-tool use of the main window: every control named on one line, buttons
// told apart, ticks reported, Tab in reading order, Enter and Space acting as a click.
#include "tests/ui/PageWindow.h"
#include "tests/ui/UiSuites.h"
#include "ui/CTabPanel.h"
#include "ui/SkinButton.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <map>
#include <vector>

namespace tolvane::test {

namespace {

bool isControl(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(widget) != nullptr ||
           qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr;
}

QString nameOf(QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

QString describe(const QWidget* widget) {
    return QStringLiteral("%1 (%2)").arg(widget->objectName(),
                                         QString::fromLatin1(widget->metaObject()->className()));
}

// The window after a scan of the five problems, so the results page has rows.
class ScannedWindow : public PageWindow {
public:
    ScannedWindow()
        : PageWindow([](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); }) {
        click("navScanner");
        click("scanButton");
        QVERIFY(QTest::qWaitFor([this] { return tabs().current() == page::scanResults; }, 5000));
    }

    // Shows `slot` as the navigation would (switchTo refuses the page on show).
    void show(int slot) {
        if (tabs().current() != slot) {
            QVERIFY(tabs().switchTo(slot));
        }
        QCoreApplication::processEvents();
    }
};

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyControlOfEveryPageIsNamedOnOneLineAndButtonsApart() {
        ScannedWindow pages;
        for (int slot = 0; slot < CTabPanel::slotCount; ++slot) {
            if (pages.tabs().page(slot) == nullptr) {
                continue;
            }
            pages.show(slot);
            std::map<QString, QString> buttons;
            for (QWidget* widget : pages.window().findChildren<QWidget*>()) {
                if (!widget->isVisible() || !isControl(widget)) {
                    continue;
                }
                const QString name = nameOf(widget);
                const QString where = QStringLiteral("page %1: %2").arg(slot).arg(describe(widget));
                QVERIFY2(!name.trimmed().isEmpty(), qPrintable(where));
                QVERIFY2(!name.contains(QLatin1Char('\n')), qPrintable(where + ": " + name));
                if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
                    const auto [other, added] = buttons.emplace(name, describe(widget));
                    QVERIFY2(added, qPrintable(where + " is named \"" + name + "\" as " +
                                               other->second + " is"));
                }
            }
        }
    }

    void ticksAreReportedOnBoxesAndRows() {
        ScannedWindow pages;
        // A painted box: checkable, and checked as it stands.
        pages.show(page::scanner);
        auto* box = pages.find<QAbstractButton>("moduleCheck0");
        for (const bool checked : {true, false}) {
            box->setChecked(checked);
            const QAccessible::State state = QAccessible::queryAccessibleInterface(box)->state();
            QVERIFY(state.checkable);
            QCOMPARE(bool(state.checked), checked);
        }

        // A result row: named on one line, its tick reported and followed.
        pages.show(page::scanResults);
        auto* list = pages.find<QAbstractItemView>("resultsList");
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
        QVERIFY(table != nullptr);
        QAccessibleTableInterface* cells = table->tableInterface();
        QVERIFY(cells != nullptr);
        QAccessibleInterface* row = cells->cellAt(0, 0);
        QVERIFY(row != nullptr);
        QVERIFY(!row->text(QAccessible::Name).isEmpty());
        QVERIFY(!row->text(QAccessible::Name).contains(QLatin1Char('\n')));
        QVERIFY(row->state().checkable);
        const bool before = row->state().checked;
        list->setFocus();
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(bool(cells->cellAt(0, 0)->state().checked), !before);
    }

    void tabFollowsTheReadingOrderOfEachPage() {
        ScannedWindow pages;
        for (const int slot : {page::overview, page::scanner, page::defrag, page::backup,
                               page::settings, page::about, page::scanResults}) {
            pages.show(slot);
            QWidget* page = pages.tabs().page(slot);
            pages.find<QWidget>("navAbout")->setFocus();
            std::vector<QWidget*> reached;
            for (int step = 0; step < 60; ++step) {
                QTest::keyClick(pages.window().focusWidget(), Qt::Key_Tab);
                QWidget* focus = pages.window().focusWidget();
                if (focus == nullptr || !page->isAncestorOf(focus)) {
                    break;
                }
                reached.push_back(focus);
            }
            QVERIFY2(!reached.empty(), qPrintable(QStringLiteral("page %1").arg(slot)));
            for (std::size_t at = 1; at < reached.size(); ++at) {
                const QRect a(reached[at - 1]->mapTo(page, QPoint()), reached[at - 1]->size());
                const QRect b(reached[at]->mapTo(page, QPoint()), reached[at]->size());
                const bool sameRow = std::abs(a.center().y() - b.center().y()) <= 12;
                QVERIFY2(sameRow ? a.left() < b.left() : a.center().y() < b.center().y(),
                         qPrintable(QStringLiteral("page %1: %2 before %3")
                                        .arg(slot)
                                        .arg(describe(reached[at - 1]), describe(reached[at]))));
            }
        }
    }

    void enterAndSpaceClickThePaintedButtons() {
        PageWindow pages;
        auto* scanner = pages.find<SkinButton>("navScanner");
        scanner->setFocus();
        QTest::keyClick(scanner, Qt::Key_Return);
        QCOMPARE(pages.tabs().current(), page::scanner);
        auto* backup = pages.find<SkinButton>("navBackup");
        QTest::keyClick(backup, Qt::Key_Enter);
        QCOMPARE(pages.tabs().current(), page::backup);
        auto* settings = pages.find<SkinButton>("navSettings");
        QTest::keyClick(settings, Qt::Key_Space);
        QCOMPARE(pages.tabs().current(), page::settings);
        // The corner buttons are reached too, and say what they do.
        QVERIFY(pages.find<SkinButton>("closeButton")->focusPolicy() & Qt::TabFocus);
        QCOMPARE(nameOf(pages.find<SkinButton>("hideButton")),
                 QStringLiteral("Hide to the notification area"));
    }
};

std::unique_ptr<QObject> makeAccessibilityTest() {
    return std::make_unique<AccessibilityTest>();
}

} // namespace tolvane::test

#include "AccessibilityTest.moc"
