#include "ui/CScannerProcessDlg.h"

#include "engine/IgnoreList.h"
#include "engine/ModuleSet.h"
#include "engine/ProblemList.h"
#include "engine/ProtectionList.h"
#include "engine/ScanRun.h"
#include "platform/Platform.h"
#include "ui/CHollinDlg.h"
#include "ui/CScannerFinishDlg.h"
#include "ui/CTabPanel.h"
#include "ui/GuiThread.h"
#include "ui/ProblemListModel.h"
#include "ui/RegistrySession.h"
#include "ui/SkinProgressBar.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"
#include "ui/WidgetProgress.h"

#include <QLabel>
#include <vector>

namespace tolvane {

namespace {

constexpr int firstRowTop = 146;
constexpr int rowSpacing = 20;
constexpr int rowsPerColumn = 7;
constexpr std::array<int, 2> nameLeft{20, 244};
constexpr int counterWidth = 54;
// The counters change with every problem and the status line with every key. Each showing
// repaints the window behind them; ten a second look live and leave the processor to the scan.
constexpr std::chrono::milliseconds showInterval{100};

} // namespace

CScannerProcessDlg::CScannerProcessDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("Scanning"), parent) {
    setObjectName(QStringLiteral("scanProgressPage"));
    setDecoration(QPoint(10, 50), Artwork::Glyph::scanner);
    addLabel(QStringLiteral("scanIntro"), QStringLiteral("Looking for problems..."),
             QRect(58, 50, 300, 44), theme().valueFont(), theme().captionText());

    status_ = addLabel(QStringLiteral("scanStatus"), QString(), QRect(20, 100, 426, 18),
                       theme().smallFont(), theme().mutedText());
    status_->setTextFormat(Qt::PlainText);
    bar_ = new SkinProgressBar(theme(), this);
    bar_->setObjectName(QStringLiteral("scanBar"));
    bar_->setGeometry(20, 122, 426, 12);

    for (const auto& info : moduleTable) {
        const int id = info.moduleId;
        const int left = nameLeft[id < rowsPerColumn ? 0 : 1];
        const int top = firstRowTop + (id % rowsPerColumn) * rowSpacing;
        addLabel(QStringLiteral("moduleName%1").arg(id),
                 QString::fromLatin1(info.displayName.data(),
                                     static_cast<qsizetype>(info.displayName.size())),
                 QRect(left, top, counterOffset - 6, rowSpacing), theme().bodyFont(),
                 theme().text());
        QLabel* counter = addLabel(QStringLiteral("moduleCounter%1").arg(id), QString(),
                                   QRect(left + counterOffset, top, counterWidth, rowSpacing),
                                   theme().valueFont(), theme().captionText());
        counters_[static_cast<std::size_t>(id)] = counter;
    }

    addLabel(QStringLiteral("scanTotalCaption"), QStringLiteral("Problems found:"),
             QRect(20, 300, 120, 26), theme().bodyFont(), theme().mutedText());
    total_ = addLabel(QStringLiteral("scanTotal"), QString(), QRect(140, 300, 120, 26),
                      theme().captionFont(), theme().captionText());

    SkinButton* stop =
        addButton(QStringLiteral("stopScanButton"), SkinButton::Style::secondary,
                  QStringLiteral("Stop Scan"), std::nullopt, QRect(336, 304, 110, 34));
    connect(stop, &SkinButton::clicked, this, &CScannerProcessDlg::stopScan);

    progress_ =
        std::make_unique<WidgetProgress>(WidgetProgress::Widgets{bar_, status_, total_, counters_});
    progress_->setMinimumInterval(showInterval);
    connect(&context.session, &RegistrySession::platformChanged, this,
            &CScannerProcessDlg::dropModules);
}

CScannerProcessDlg::~CScannerProcessDlg() {
    // The results page works on the module set's list: it lets go of it first.
    if (handedTo_) {
        handedTo_->forgetScan();
    }
    run_.reset();
    modules_.reset();
}

CScannerFinishDlg* CScannerProcessDlg::resultsPage() const {
    CTabPanel* tabs = tabPanel();
    return tabs != nullptr ? dynamic_cast<CScannerFinishDlg*>(tabs->page(page::scanResults))
                           : nullptr;
}

bool CScannerProcessDlg::startScan(const std::array<bool, moduleCount>& enabledModules) {
    Platform* platform = context().session.platform();
    if (isBusy() || scanning_ || platform == nullptr) {
        return false;
    }
    if (platform != platform_ || !modules_) {
        dropModules();
        platform_ = platform;
        modules_ = std::make_unique<ModuleSet>(context().moduleFactory(*platform));
        run_ = std::make_unique<ScanRun>(*modules_, *platform, context().profile, context().busy);
    }
    // The ignore list is read afresh for every scan: Settings may have changed it. One that
    // cannot be read ignores nothing; every record found is then shown for the user to judge.
    auto ignored = IgnoreList::load(context().profile);
    modules_->setScreen(ProtectionList(platform->registry),
                        ignored ? std::move(ignored.value()) : IgnoreList(),
                        context().session.ignorePlace());
    // The run replaces the merged list the results page shows.
    if (CScannerFinishDlg* results = resultsPage()) {
        results->forgetScan();
    }
    scanning_ = run_->start(enabledModules, progress_.get(), [this](ProblemList&) {
        GuiThread::post(this, [this] { completed(); });
    });
    progress_->flush();
    return scanning_;
}

void CScannerProcessDlg::reloadAndRescan() {
    if (refusedWhileBusy(QStringLiteral("Reload")) || scanning_) {
        return;
    }
    std::map<std::tuple<int, int, std::string, std::string>, int> ticks;
    if (modules_) {
        for (const ProblemRecord& record : modules_->results().records()) {
            ticks[{record.moduleId, record.entryKind, record.primaryName, record.secondaryName}] =
                record.selected;
        }
    }
    // Reopening drops the modules (and the list) made on the old reading.
    if (!context().session.reload(this)) {
        return;
    }
    carriedTicks_ = std::move(ticks);
    CTabPanel* tabs = tabPanel();
    SkinPanel* scanner = tabs != nullptr ? tabs->page(page::scanner) : nullptr;
    if (scanner != nullptr) {
        tabs->switchTo(page::scanner);
        scanner->startMainAction();
    }
    if (!scanning_) {
        // No scan followed (no module ticked): the ticks belong to no list any more.
        carriedTicks_.clear();
        showStatus(QStringLiteral("The prefix was read again; scan it to see what needs fixing."));
        return;
    }
    showStatus(QStringLiteral("The prefix was read again and is being scanned."));
}

void CScannerProcessDlg::stopScan() {
    if (!scanning_ || !run_->stop()) {
        // Not running, or already completing: the completion step shows the results.
        return;
    }
    carriedTicks_.clear();
    scanning_ = false;
    progress_->flush();
    if (CTabPanel* tabs = tabPanel()) {
        tabs->switchTo(page::scanner);
    }
    showStatus(QStringLiteral("The scan was stopped; nothing was changed."));
}

void CScannerProcessDlg::completed() {
    if (!scanning_) {
        return;
    }
    scanning_ = false;
    run_->wait();
    progress_->flush();
    CScannerFinishDlg* results = resultsPage();
    if (results != nullptr) {
        handedTo_ = results;
        results->takeScan(*modules_, *platform_);
    }
    if (CTabPanel* tabs = tabPanel()) {
        tabs->switchTo(page::scanResults);
    }
    if (results != nullptr) {
        results->fillList();
        // Filling ticks every row; a reload's scan then gives back the user's own ticks.
        if (!carriedTicks_.empty()) {
            std::vector<std::size_t> ticked;
            std::vector<std::size_t> unticked;
            const auto found = modules_->results().records();
            for (std::size_t index = 0; index < found.size(); ++index) {
                const ProblemRecord& record = found[index];
                const auto carried = carriedTicks_.find(
                    {record.moduleId, record.entryKind, record.primaryName, record.secondaryName});
                if (carried != carriedTicks_.end()) {
                    (carried->second != 0 ? ticked : unticked).push_back(index);
                }
            }
            results->model().setRecordsTicked(ticked, true);
            results->model().setRecordsTicked(unticked, false);
        }
    }
    carriedTicks_.clear();
    refreshOverview();
    if (owner() != nullptr) {
        const std::size_t found = modules_->results().count();
        owner()->notify(
            found == 0 ? QStringLiteral("The scan has finished: no problems found.")
                       : QStringLiteral("The scan has finished: %1 problems found.").arg(found));
    }
}

void CScannerProcessDlg::dropModules() {
    if (handedTo_) {
        handedTo_->forgetScan();
    }
    run_.reset();
    modules_.reset();
    platform_ = nullptr;
    scanning_ = false;
}

} // namespace tolvane
