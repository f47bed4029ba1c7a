// What the pages build on: the progress adapter, the worker hand-off, the checks before an
// action and the scripted dialogs.
#include "tests/ui/UiBench.h"
#include "tests/ui/UiSuites.h"
#include "ui/BackgroundTask.h"
#include "ui/GuiThread.h"
#include "ui/WidgetProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <chrono>
#include <string>
#include <thread>

namespace tolvane::test {

class PlumbingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void progressFromAWorkerReachesTheWidgetsWithTheNewestTexts() {
        QWidget page;
        QProgressBar bar(&page);
        QLabel status(&page);
        QLabel total(&page);
        std::array<QLabel*, moduleCount> counters{};
        std::vector<std::unique_ptr<QLabel>> labels;
        for (auto& counter : counters) {
            labels.push_back(std::make_unique<QLabel>(&page));
            counter = labels.back().get();
        }
        WidgetProgress progress({&bar, &status, &total, counters});
        QCOMPARE(bar.maximum(), 999);

        std::thread worker([&progress] {
            for (int key = 0; key < 5000; ++key) {
                progress.setStatusText("HKEY_LOCAL_MACHINE\\Software\\Key" + std::to_string(key));
                progress.setCounterText(9, std::to_string(key / 10));
            }
            progress.setTotalText("499");
            progress.setBarPosition(730);
            progress.setCounterText(moduleCount, "ignored");
        });
        worker.join();
        // Nothing is shown until the GUI thread runs the queued flush.
        QVERIFY(status.text().isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(status.text(), QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Key4999"));
        QCOMPARE(counters[9]->text(), QStringLiteral("499"));
        QCOMPARE(counters[8]->text(), QString());
        QCOMPARE(total.text(), QStringLiteral("499"));
        QCOMPARE(bar.value(), 730);

        // Texts of the registry are UTF-8.
        progress.setStatusText("Software\\Caf\xc3\xa9");
        progress.flush();
        QCOMPARE(status.text(), QString::fromUtf8("Software\\Caf\xc3\xa9"));
    }

    void progressWithoutSomeWidgetsShowsWhatItHas() {
        QProgressBar bar;
        WidgetProgress progress({&bar, nullptr, nullptr, {}});
        progress.setStatusText("no label");
        progress.setCounterText(3, "7");
        progress.setBarPosition(10);
        progress.flush();
        QCOMPARE(bar.value(), 10);
    }

    void pacedProgressHoldsNewTextsUntilTheIntervalPassesOrAFlush() {
        QLabel status;
        QLabel counter;
        std::array<QLabel*, moduleCount> counters{};
        counters[2] = &counter;
        WidgetProgress progress({nullptr, &status, nullptr, counters});
        progress.setMinimumInterval(std::chrono::hours(1));

        // Nothing shown yet: the first texts come at the next turn of the event loop.
        progress.setStatusText("first");
        QCoreApplication::processEvents();
        QCOMPARE(status.text(), QStringLiteral("first"));

        std::thread worker([&progress] {
            progress.setStatusText("second");
            progress.setCounterText(2, "5");
        });
        worker.join();
        QCoreApplication::processEvents();
        QCOMPARE(status.text(), QStringLiteral("first"));
        QCOMPARE(counter.text(), QString());

        // What a completing or stopped scan does before anything else is shown.
        progress.flush();
        QCOMPARE(status.text(), QStringLiteral("second"));
        QCOMPARE(counter.text(), QStringLiteral("5"));

        // A flush starts a new interval; the held texts are not lost.
        progress.setStatusText("third");
        QCoreApplication::processEvents();
        QCOMPARE(status.text(), QStringLiteral("second"));
        progress.setMinimumInterval(std::chrono::milliseconds(0));
        progress.setCounterText(2, "6");
        QCoreApplication::processEvents();
        QCOMPARE(status.text(), QStringLiteral("third"));
        QCOMPARE(counter.text(), QStringLiteral("6"));
    }

    void pacedProgressShowsTheNewestTextsWhenTheIntervalHasPassed() {
        QLabel status;
        WidgetProgress progress({nullptr, &status, nullptr, {}});
        progress.setMinimumInterval(std::chrono::milliseconds(20));
        progress.setStatusText("first");
        QCoreApplication::processEvents();
        QCOMPARE(status.text(), QStringLiteral("first"));
        std::thread worker([&progress] {
            for (int key = 0; key < 1000; ++key) {
                progress.setStatusText("Key" + std::to_string(key));
            }
        });
        worker.join();
        // No flush: the held showing comes by itself.
        QTRY_COMPARE(status.text(), QStringLiteral("Key999"));
    }

    void backgroundTaskRunsOnAWorkerAndCompletesOnTheGuiThread() {
        QObject receiver;
        BackgroundTask task(receiver);
        std::thread::id workerThread;
        std::thread::id doneThread;
        int result = 0;
        task.start(
            [&workerThread](std::stop_token) {
                workerThread = std::this_thread::get_id();
                return 42;
            },
            [&](int value) {
                doneThread = std::this_thread::get_id();
                result = value;
            });
        QVERIFY(task.running());
        task.wait();
        QCOMPARE(result, 0);
        QCoreApplication::processEvents();
        QCOMPARE(result, 42);
        QVERIFY(!task.running());
        QVERIFY(workerThread != std::this_thread::get_id());
        QVERIFY(doneThread == std::this_thread::get_id());
    }

    void aBackgroundTaskIsStoppedAndJoinedWithItsOwner() {
        bool stopped = false;
        bool completed = false;
        {
            QObject receiver;
            BackgroundTask task(receiver);
            task.start(
                [&stopped](std::stop_token stop) {
                    while (!stop.stop_requested()) {
                        std::this_thread::yield();
                    }
                    stopped = true;
                },
                [&completed] { completed = true; });
        }
        QVERIFY(stopped);
        QCoreApplication::processEvents();
        // The receiver is gone: its completion is dropped.
        QVERIFY(!completed);
    }

    void aWorkerWaitsForTheAnswerOfTheGuiThread() {
        QObject receiver;
        UiBench bench;
        bench.dialogs.setNextAnswer(true);
        std::thread::id askedOn;
        bool answer = false;
        std::thread worker([&] {
            answer = GuiThread::callAndWait(&receiver, [&] {
                askedOn = std::this_thread::get_id();
                return bench.dialogs.question(nullptr, "Backup", "Create a backup?");
            });
        });
        QTRY_VERIFY(askedOn == std::this_thread::get_id());
        worker.join();
        QVERIFY(answer);
    }

    void actionsThatChangeTheRegistrySayWhyTheyCannotRun() {
        UiBench bench;
        RecordingPanel panel(bench.context(), bench.busy);
        QVERIFY(panel.checkWritable());
        QVERIFY(bench.dialogs.shown().empty());

        bench.platform.storage().refuseWrites = true;
        QVERIFY(!panel.checkWritable());
        QCOMPARE(bench.dialogs.shown().size(), std::size_t{1});
        QCOMPARE(bench.dialogs.shown()[0].kind, ScriptedDialogs::Kind::error);
        QVERIFY(bench.dialogs.texts()[0].contains("a wineserver is running"));

        bench.session.close();
        QVERIFY(!panel.checkWritable());
        QVERIFY(bench.dialogs.texts()[1].contains("No Wine prefix is open"));
    }

    void scriptedDialogsAnswerInOrderAndCautiouslyWhenUnscripted() {
        ScriptedDialogs dialogs;
        dialogs.setNextAnswer(true);
        dialogs.setNextFolder(QStringLiteral("/some/prefix"));
        QVERIFY(dialogs.question(nullptr, "Backup", "first"));
        dialogs.information(nullptr, "Tolvane", "done");
        QCOMPARE(dialogs.chooseFolder(nullptr, "Choose", "/"),
                 std::optional<QString>("/some/prefix"));
        QVERIFY(!dialogs.question(nullptr, "Backup", "unscripted"));
        QCOMPARE(dialogs.chooseFolder(nullptr, "Choose", "/"), std::nullopt);
        QCOMPARE(dialogs.shown().size(), std::size_t{5});
        QCOMPARE(dialogs.shown()[1].kind, ScriptedDialogs::Kind::information);
        QCOMPARE(dialogs.pendingAnswers(), std::size_t{0});
    }
};

std::unique_ptr<QObject> makePlumbingTest() {
    return std::make_unique<PlumbingTest>();
}

} // namespace tolvane::test

#include "PlumbingTest.moc"
