// How responsive the desktop program stays while it scans a large Wine prefix: the longest
// gap between two turns of the interface thread's event loop, noted by a 10 ms timer.
//
//   scripts/make-bench-prefix DIR
//   build/bench/tolvane-gui-scan-bench DIR
//   cmake --build build --target gui-scan-bench      (makes the prefix when it is missing)
//   bench/run-gui-scan-bench build/bench/tolvane-gui-scan-bench build/bench EXISTING-PREFIX
//
// The program opens the prefix as it would at start (offscreen), then, with the timer running:
//   1. idle for two seconds;
//   2. a scan of the same prefix by the core alone, on a worker, with the window idle: the
//      baseline of this run (what two busy cores do to the loop without any progress shown);
//   3. the same scan through the pages: Scan on the Scanner page, the progress page's live
//      counters, the hand-over to the results page and its filled list, until it is painted;
//   4. None and All on the results page, and a scroll to its end.
// For each it prints how long it took, the longest gap, the busiest turn (the most processor
// time the interface thread itself spent between two ticks: a long gap with a short busiest
// turn is time other threads or processes took from it) and the thread's processor time in
// all. Target: every gap under 50 ms.
#include "app/CHollinApp.h"
#include "app/ModuleFactories.h"
#include "bench/BenchTiming.h"
#include "engine/ModuleSet.h"
#include "engine/ProgressTargets.h"
#include "engine/ScanRun.h"
#include "modules/DefaultModules.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/RegistryProfileStore.h"
#include "ui/CHollinDlg.h"
#include "ui/CScannerFinishDlg.h"
#include "ui/CTabPanel.h"
#include "ui/ProblemListModel.h"
#include "ui/ScriptedDialogs.h"
#include "ui/SilentLinkOpener.h"
#include "ui/SkinPanel.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <unistd.h>

namespace tolvane {
namespace {

using bench::Steady;

double millisecondsBetween(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Processor time of the calling thread: what the interface thread itself spent, apart from
// the time other processes on a busy machine took from it.
double threadProcessorMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Notes, between two ticks of a 10 ms timer on the interface thread, the longest wall-clock
// gap and the most processor time the thread spent, and the thread's processor time in all.
class LoopGapMeter {
public:
    LoopGapMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Steady::now();
            const double processor = threadProcessorMilliseconds();
            if (const double gap = millisecondsBetween(last_, now); gap > longest_) {
                longest_ = gap;
                longestEnded_ = millisecondsBetween(restarted_, now);
            }
            busiest_ = std::max(busiest_, processor - lastProcessor_);
            last_ = now;
            lastProcessor_ = processor;
        });
        timer_.start();
    }

    // Starts a new measurement.
    void restart() {
        last_ = Steady::now();
        lastProcessor_ = threadProcessorMilliseconds();
        startProcessor_ = lastProcessor_;
        longest_ = 0;
        longestEnded_ = 0;
        restarted_ = last_;
        busiest_ = 0;
    }
    double longest() const { return longest_; }
    // When the longest gap ended, counted from the restart.
    double longestEnded() const { return longestEnded_; }
    double busiest() const { return busiest_; }
    double processorSinceRestart() const { return threadProcessorMilliseconds() - startProcessor_; }

private:
    QTimer timer_;
    Steady::time_point last_ = Steady::now();
    double lastProcessor_ = 0;
    double startProcessor_ = 0;
    double longest_ = 0;
    double longestEnded_ = 0;
    Steady::time_point restarted_ = Steady::now();
    double busiest_ = 0;
};

class NoProgress final : public ProgressTargets {
public:
    void setStatusText(std::string_view) override {}
    void setTotalText(std::string_view) override {}
    void setCounterText(int, std::string_view) override {}
    void setBarPosition(int) override {}
};

// Runs the event loop until `done` holds; false after `seconds`.
bool runUntil(const std::function<bool()>& done, int seconds) {
    const auto until = Steady::now() + std::chrono::seconds(seconds);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || Steady::now() > until) {
            loop.quit();
        }
    });
    poll.start(5);
    if (!done()) {
        loop.exec();
    }
    return done();
}

void runFor(int milliseconds) {
    const auto until = Steady::now() + std::chrono::milliseconds(milliseconds);
    runUntil([until] { return Steady::now() >= until; }, milliseconds / 1000 + 2);
}

struct Figure {
    const char* name;
    double milliseconds;
};

// One line: how long the step took, the longest gap between two turns of the event loop and
// when it ended, the most processor time the interface thread spent between two turns, and its
// processor time in all.
void print(const Figure& figure, const LoopGapMeter& meter) {
    std::printf("  %-34s %7.0f ms   longest gap %6.1f ms (ending at %5.0f ms)   "
                "busiest turn %5.1f ms   interface thread %6.0f ms\n",
                figure.name, figure.milliseconds, meter.longest(), meter.longestEnded(),
                meter.busiest(), meter.processorSinceRestart());
}

int run(const std::filesystem::path& prefix) {
    char pattern[] = "/tmp/tolvane-gui-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::cerr << "cannot make a scratch folder\n";
        return 1;
    }
    const std::filesystem::path work(pattern);
    CHollinApp::Options options = CHollinApp::Options::fromEnvironment();
    options.workingDirectory = work;
    options.configHome = work / "config";
    options.environmentPrefix = std::filesystem::absolute(prefix);
    options.home = work;

    Theme theme;
    ScriptedDialogs dialogs;
    SilentLinkOpener links;
    auto app =
        std::make_unique<CHollinApp>(options, dialogs, links, theme, ModuleFactories::standard());
    const auto loadStart = Steady::now();
    if (auto started = app->start(); !started || app->session().platform() == nullptr) {
        std::cerr << "tolvane-gui-scan-bench: cannot open " << prefix << "\n";
        for (const auto& dialog : dialogs.shown()) {
            std::cerr << "  " << dialog.text.toStdString() << "\n";
        }
        return 1;
    }
    const double loadMs = millisecondsBetween(loadStart, Steady::now());
    Platform& platform = *app->session().platform();
    CHollinDlg& window = *app->mainWindow();
    CTabPanel& tabs = window.tabPanel();
    runFor(300);

    std::cout << "GUI responsiveness during a full scan of " << prefix.string() << "\n"
              << "  prefix opened at start             " << static_cast<long>(loadMs) << " ms\n";
    LoopGapMeter meter;

    meter.restart();
    runFor(2000);
    print({"idle window", 2000}, meter);

    // The baseline: the core's scan on a worker, nothing shown.
    {
        prefix::WineRegistry scratchRegistry;
        RegistryProfileStore scratchProfile(scratchRegistry, hkeyCurrentUser, "Software\\Bench");
        std::atomic<int> busy{0};
        ModuleSet modules(defaultModuleFactory(platform));
        NoProgress progress;
        ScanRun scan(modules, platform, scratchProfile, busy);
        std::atomic<bool> done{false};
        meter.restart();
        const auto start = Steady::now();
        std::array<bool, moduleCount> everyModule{};
        everyModule.fill(true);
        scan.start(everyModule, &progress, [&done](ProblemList&) { done = true; });
        runUntil([&done] { return done.load(); }, 600);
        const double took = millisecondsBetween(start, Steady::now());
        scan.wait();
        print({"core scan alone (baseline)", took}, meter);
        std::cout << "    problems found                   " << modules.count() << "\n";
    }

    // The same scan through the pages.
    tabs.switchTo(page::scanner);
    runFor(200);
    meter.restart();
    const auto start = Steady::now();
    window.findChild<QAbstractButton*>(QStringLiteral("scanButton"))->click();
    if (!runUntil([&] { return tabs.current() == page::scanResults; }, 600)) {
        std::cerr << "the scan did not complete\n";
        return 1;
    }
    const double scanned = millisecondsBetween(start, Steady::now());
    // The results page paints its list.
    runFor(300);
    auto* results = dynamic_cast<CScannerFinishDlg*>(tabs.page(page::scanResults));
    print({"scan through the pages", scanned}, meter);
    std::cout << "    rows in the results list         " << results->model().rowCount() << "\n";

    // What the buttons cost the interface thread itself, and the gaps around them.
    auto* list = window.findChild<QListView*>(QStringLiteral("resultsList"));
    meter.restart();
    const auto ticking = Steady::now();
    window.findChild<QAbstractButton*>(QStringLiteral("tickNoneButton"))->click();
    window.findChild<QAbstractButton*>(QStringLiteral("tickAllButton"))->click();
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    const double ticked = millisecondsBetween(ticking, Steady::now());
    runFor(300);
    print({"None, All and a scroll to the end", ticked}, meter);

    app.reset();
    std::error_code error;
    std::filesystem::remove_all(work, error);
    return 0;
}

} // namespace
} // namespace tolvane

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tolvane-gui-scan-bench PREFIX   (made by scripts/make-bench-prefix)\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return tolvane::run(argv[1]);
}
