// The review window: one table over the results page's rows and ticks, search, filters, sort,
// grouping, keyboard ticking, copy, export and Ignore; and the program's message boxes under
// a dark desktop theme.
#include "engine/ModuleSet.h"
#include "engine/ProblemList.h"
#include "tests/ui/PageWindow.h"
#include "tests/ui/UiSuites.h"
#include "ui/CScannerFinishDlg.h"
#include "ui/CTabPanel.h"
#include "ui/ProblemListModel.h"
#include "ui/ProblemReviewWindow.h"
#include "ui/QtDialogs.h"
#include "ui/ReviewExport.h"
#include "ui/ReviewFilterModel.h"
#include "ui/ReviewTableModel.h"
#include "ui/TextRanks.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace tolvane::test {

namespace {

// The five problems scanned, the review window open over them.
class ReviewPages : public PageWindow {
public:
    ReviewPages()
        : PageWindow([](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); }) {
        click("navScanner");
        click("scanButton");
        QVERIFY(QTest::qWaitFor([this] { return tabs().current() == page::scanResults; }, 5000));
        click("reviewButton");
        review = results().reviewWindow();
        QVERIFY(review != nullptr && review->isVisible());
        review->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(review));
    }
    ~ReviewPages() {
        if (review != nullptr) {
            review->close();
        }
    }

    CScannerFinishDlg& results() {
        return *dynamic_cast<CScannerFinishDlg*>(tabs().page(page::scanResults));
    }
    QTableView& table() { return review->table(); }
    QString cell(int row, int column) {
        return table().model()->index(row, column).data().toString();
    }
    int shown() { return table().model()->rowCount(); }

    ProblemReviewWindow* review = nullptr;
};

double luminance(const QColor& colour) {
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class ReviewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyProblemIsARowThatSaysWhatTheFixWillDo() {
        ReviewPages pages;
        QCOMPARE(pages.shown(), 5);
        const auto column = [&](int c) {
            QStringList texts;
            for (int row = 0; row < 5; ++row) {
                texts << pages.cell(row, c);
            }
            return texts;
        };
        QCOMPARE(pages.cell(0, ReviewTableModel::areaColumn), QStringLiteral("Application Paths"));
        QCOMPARE(pages.cell(0, ReviewTableModel::keyPathColumn),
                 QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
                                "\\App Paths\\alpha.exe"));
        QCOMPARE(pages.cell(0, ReviewTableModel::actionColumn), QStringLiteral("Delete key"));
        QCOMPARE(pages.cell(3, ReviewTableModel::areaColumn), QStringLiteral("Startup Section"));
        QCOMPARE(pages.cell(3, ReviewTableModel::valueNameColumn), QStringLiteral("Delta"));
        QCOMPARE(pages.cell(3, ReviewTableModel::actionColumn), QStringLiteral("Delete value"));
        QVERIFY(column(ReviewTableModel::dataColumn)[4].contains(QStringLiteral("echo.exe")));
    }

    void searchFiltersAndSortsWorkTogether() {
        ReviewPages pages;
        QTest::keyClick(pages.review, Qt::Key_F, Qt::ControlModifier);
        auto* search = pages.review->findChild<QLineEdit*>("reviewSearch");
        QVERIFY(search->hasFocus());
        QTest::keyClicks(search, QStringLiteral("BETA"));
        QCOMPARE(pages.shown(), 1);
        QVERIFY(pages.cell(0, ReviewTableModel::keyPathColumn).endsWith("beta.exe"));
        search->clear();

        auto* area = pages.review->findChild<QComboBox*>("reviewAreaFilter");
        QCOMPARE(area->itemText(0), QStringLiteral("All areas (5)"));
        const int startup = area->findText(QStringLiteral("Startup Section (2)"));
        QVERIFY(startup > 0);
        area->setCurrentIndex(startup);
        QCOMPARE(pages.shown(), 2);
        area->setCurrentIndex(0);

        pages.table().sortByColumn(ReviewTableModel::keyPathColumn, Qt::AscendingOrder);
        QVERIFY(pages.cell(0, ReviewTableModel::keyPathColumn).endsWith("alpha.exe"));
        pages.table().sortByColumn(ReviewTableModel::keyPathColumn, Qt::DescendingOrder);
        QVERIFY(pages.cell(0, ReviewTableModel::keyPathColumn).endsWith("\\Run"));
        pages.table().sortByColumn(ReviewTableModel::valueNameColumn, Qt::DescendingOrder);
        QCOMPARE(pages.cell(0, ReviewTableModel::valueNameColumn), QStringLiteral("Echo"));
    }

    void sortingFollowsTheTextsOfTheCurrentFill() {
        // Equal texts keep the list's order; a refill with other texts sorts by those.
        const auto records = [](std::initializer_list<const char*> names) {
            ProblemList list;
            for (const char* name : names) {
                list.add({0, 0, name, "", "Software\\Gone", "", 0});
            }
            return list;
        };
        ProblemList first = records({"b", "A", "c", "a", "B"});
        ProblemListModel list;
        list.fill(&first);
        ReviewTableModel table(list);
        ReviewFilterModel filter(table);
        const auto sorted = [&filter](int column, Qt::SortOrder order) {
            filter.sort(column, order);
            QStringList texts;
            for (int row = 0; row < filter.rowCount(); ++row) {
                texts << filter.index(row, column).data().toString() +
                             QString::number(filter.mapToSource(filter.index(row, 0)).row());
            }
            return texts;
        };
        const int key = ReviewTableModel::problemColumn;
        QCOMPARE(sorted(key, Qt::AscendingOrder), QStringList({"A1", "a3", "b0", "B4", "c2"}));
        QCOMPARE(sorted(key, Qt::DescendingOrder), QStringList({"c2", "B4", "b0", "a3", "A1"}));

        ProblemList second = records({"z", "y", "x", "w", "v"});
        list.fill(&second);
        QCOMPARE(sorted(key, Qt::AscendingOrder), QStringList({"v4", "w3", "x2", "y1", "z0"}));
    }

    void ranksAgreeWithPlainStringOrder() {
        // Long shared beginnings, prefixes of each other (a chain of them, which leaves few texts
        // unsorted for many steps), empty texts, duplicates and the highest code units: the
        // step-wise ranking must give QString's own order.
        std::mt19937 random(7);
        const QString alphabet = QStringLiteral("ab\\") + QChar(0xFFFF) + QChar(0xFFFE) + QChar(1);
        std::vector<QString> texts{QString(), QString(), QStringLiteral("ab"), QStringLiteral("a")};
        for (int n = 0; n < 3000; ++n) {
            QString text = n % 2 == 0 ? QStringLiteral("software\\vendor\\") : QString();
            const int length = static_cast<int>(random() % (n % 5 == 0 ? 60 : 9));
            for (int at = 0; at < length; ++at) {
                text += alphabet[static_cast<qsizetype>(random() % alphabet.size())];
            }
            texts.push_back(text);
        }
        for (int length = 200; length > 0; length -= 3) {
            texts.push_back(QString(length, QLatin1Char('x')));
        }
        const std::vector<int> ranks =
            rankTexts(std::vector<QStringView>(texts.begin(), texts.end()));
        std::vector<int> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return texts[static_cast<std::size_t>(a)] < texts[static_cast<std::size_t>(b)];
        });
        for (std::size_t at = 0; at < order.size(); ++at) {
            const auto text = static_cast<std::size_t>(order[at]);
            const auto first = static_cast<std::size_t>(
                std::lower_bound(order.begin(), order.end(), order[at],
                                 [&](int a, int b) {
                                     return texts[static_cast<std::size_t>(a)] <
                                            texts[static_cast<std::size_t>(b)];
                                 }) -
                order.begin());
            QCOMPARE(ranks[text], static_cast<int>(first));
        }
    }

    void groupingKeepsEachAreaTogetherWithItsCount() {
        ReviewPages pages;
        pages.table().sortByColumn(ReviewTableModel::keyPathColumn, Qt::AscendingOrder);
        pages.review->filter().setGrouped(true);
        // Startup rows sort before App Paths by key path, but the groups follow module order.
        QCOMPARE(pages.cell(0, ReviewTableModel::areaColumn),
                 QStringLiteral("Application Paths (3)"));
        QCOMPARE(pages.cell(2, ReviewTableModel::areaColumn),
                 QStringLiteral("Application Paths (3)"));
        QCOMPARE(pages.cell(3, ReviewTableModel::areaColumn),
                 QStringLiteral("Startup Section (2)"));
        pages.review->filter().setSearchText(QStringLiteral("alpha"));
        QCOMPARE(pages.cell(0, ReviewTableModel::areaColumn),
                 QStringLiteral("Application Paths (1)"));
    }

    void ticksAreTheResultsPagesOwnBothWays() {
        ReviewPages pages;
        ProblemListModel& list = pages.results().model();
        // Unticked on the page: unticked in the window.
        list.setTicked(1, false);
        QCOMPARE(pages.table().model()->index(1, 0).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Unchecked));
        // Several rows selected and Space in the window: unticked on the page and in the records.
        pages.table().setFocus();
        pages.table().selectRow(3);
        pages.table().selectionModel()->select(pages.table().model()->index(4, 0),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
        QTest::keyClick(&pages.table(), Qt::Key_Space);
        QVERIFY(!list.isTicked(3) && !list.isTicked(4));
        QCOMPARE(list.records()->operator[](4).selected, 0);
        QTest::keyClick(&pages.table(), Qt::Key_Space);
        QVERIFY(list.isTicked(3) && list.isTicked(4));
        QVERIFY(pages.review->findChild<QLabel*>("reviewCounts")->text().contains("4 ticked"));

        // A fix takes exactly what is ticked, wherever it was ticked, and the window follows.
        pages.bench.dialogs.setNextAnswer(false);
        pages.click("fixButton");
        QVERIFY(pages.settle());
        QCOMPARE(pages.shown(), 1);
        QVERIFY(pages.cell(0, ReviewTableModel::keyPathColumn).endsWith("beta.exe"));
    }

    void copyExportAndIgnoreTakeTheRowsShown() {
        ReviewPages pages;
        pages.table().sortByColumn(ReviewTableModel::problemColumn, Qt::AscendingOrder);
        pages.table().sortByColumn(ReviewTableModel::keyPathColumn, Qt::DescendingOrder);
        pages.review->filter().setSearchText(QStringLiteral("App Paths"));
        pages.table().setFocus();
        pages.table().selectRow(0);
        QTest::keyClick(&pages.table(), Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith(QStringLiteral("Ticked\tArea\tProblem")));
        QVERIFY(lines[1].contains(QStringLiteral("gamma.exe")));

        QSignalSpy ignored(pages.review, &ProblemReviewWindow::ignoreRequested);
        pages.review->ignoreSelected();
        QCOMPARE(ignored.count(), 1);
        QCOMPARE(ignored.at(0).at(0).value<QList<int>>(), QList<int>{2});
        pages.review->filter().setSearchText(QString());

        TempDir folder;
        const QString json = QString::fromStdString((folder.path() / "out.json").string());
        QVERIFY(pages.review->exportShown(json).isEmpty());
        const auto rows =
            QJsonDocument::fromJson(QByteArray::fromStdString(readFile(folder.path() / "out.json")))
                .array();
        QCOMPARE(rows.size(), 5);
        // In the order shown: the Run key's values first.
        QCOMPARE(rows[0].toObject()[QStringLiteral("Fix will")].toString(),
                 QStringLiteral("Delete value"));
        QCOMPARE(rows[4].toObject()[QStringLiteral("Fix will")].toString(),
                 QStringLiteral("Delete key"));
    }

    void exportsQuoteAndEscapeWhatTheyWrite() {
        const ReviewExport list({QStringLiteral("A"), QStringLiteral("B")},
                                {{QStringLiteral("x,\"y\""), QStringLiteral("<b>&")}});
        QCOMPARE(list.csv(), QStringLiteral("A,B\r\n\"x,\"\"y\"\"\",<b>&\r\n"));
        const QString html = list.html(QStringLiteral("T<1>"));
        QVERIFY(html.contains(QStringLiteral("&lt;b&gt;&amp;")));
        QVERIFY(html.contains(QStringLiteral("<title>T&lt;1&gt;</title>")));
        QVERIFY(!html.contains(QStringLiteral("<script")));
        QCOMPARE(ReviewExport::formatOf(QStringLiteral("r.HTML")), ReviewExport::Format::html);
    }

    void messageBoxesStayReadableUnderADarkTheme() {
        const QPalette original = QApplication::palette();
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
        dark.setColor(QPalette::WindowText, QColor(0xdd, 0xdd, 0xdd));
        dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(QPalette::Text, QColor(0xdd, 0xdd, 0xdd));
        dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::ButtonText, QColor(0xdd, 0xdd, 0xdd));
        QApplication::setPalette(dark);
        const Theme theme;
        for (const auto icon :
             {QMessageBox::Question, QMessageBox::Information, QMessageBox::Critical}) {
            auto box = QtDialogs::makeBox(theme, nullptr, icon, QStringLiteral("Tolvane"),
                                          QStringLiteral("Do you want to create a backup?"),
                                          QMessageBox::Yes | QMessageBox::No);
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box.get()));
            // What is painted: the box's background and each text's colour.
            const QImage shot = box->grab().toImage();
            const QColor background = shot.pixelColor(2, 2);
            for (QLabel* label : box->findChildren<QLabel*>()) {
                if (label->text().isEmpty() || label->pixmap().isNull() == false) {
                    continue;
                }
                const QColor text = label->palette().color(label->foregroundRole());
                QVERIFY2(contrast(text, background) >= 4.5,
                         qPrintable(QStringLiteral("%1 on %2 for \"%3\"")
                                        .arg(text.name(), background.name(), label->text())));
            }
            box->hide();
        }
        QApplication::setPalette(original);
    }
};

std::unique_ptr<QObject> makeReviewTest() {
    return std::make_unique<ReviewTest>();
}

} // namespace tolvane::test

#include "ReviewTest.moc"
