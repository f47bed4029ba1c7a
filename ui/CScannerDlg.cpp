#include "ui/CScannerDlg.h"

#include "platform/ProfileStore.h"
#include "ui/CScannerProcessDlg.h"
#include "ui/CTabPanel.h"
#include "ui/SkinTickBox.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <algorithm>

namespace tolvane {

namespace {

constexpr const char* uiSection = "UI";
constexpr const char* selectionEntry = "Selected Modules";

constexpr int boxesTop = 132;
constexpr int boxesPerColumn = 7;
constexpr std::array<int, 2> columnLeft{24, 244};
constexpr int boxWidth = 210;

} // namespace

CScannerDlg::CScannerDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("Scanner"), parent) {
    setObjectName(QStringLiteral("scannerPage"));
    setDecoration(QPoint(10, 50), Artwork::Glyph::scanner);
    addLabel(QStringLiteral("scannerIntro"), QStringLiteral("Choose the areas to scan"),
             QRect(58, 50, 300, 44), theme().valueFont(), theme().captionText());

    all_ = new SkinTickBox(theme(), QStringLiteral("All"), this);
    all_->setObjectName(QStringLiteral("allCheck"));
    all_->setFont(theme().valueFont());
    all_->setGeometry(columnLeft[0], 104, boxWidth, rowSpacing);
    connect(all_, &SkinTickBox::clicked, this, &CScannerDlg::allClicked);

    for (const auto& info : moduleTable) {
        const int id = info.moduleId;
        auto* box =
            new SkinTickBox(theme(),
                            QString::fromLatin1(info.displayName.data(),
                                                static_cast<qsizetype>(info.displayName.size())),
                            this);
        box->setObjectName(QStringLiteral("moduleCheck%1").arg(id));
        const int column = id < boxesPerColumn ? 0 : 1;
        const int row = id % boxesPerColumn;
        box->setGeometry(columnLeft[static_cast<std::size_t>(column)], boxesTop + row * rowSpacing,
                         boxWidth, rowSpacing);
        boxes_[static_cast<std::size_t>(id)] = box;
    }
    // Only the first module's box keeps "All" in step; the others leave it as it is.
    connect(boxes_[0], &SkinTickBox::clicked, this, &CScannerDlg::firstModuleClicked);

    SkinButton* scan = addButton(QStringLiteral("scanButton"), SkinButton::Style::primary,
                                 QStringLiteral("Scan"), std::nullopt, QRect(336, 304, 110, 34));
    connect(scan, &SkinButton::clicked, this, &CScannerDlg::startMainAction);

    loadSelection();
}

void CScannerDlg::loadSelection() {
    for (auto* box : boxes_) {
        box->setChecked(true);
    }
    // An absent or unreadable selection leaves every box ticked.
    const auto stored = context().profile.getProfileBinary(uiSection, selectionEntry);
    if (stored) {
        const std::size_t used = std::min<std::size_t>(stored->size(), moduleCount);
        for (std::size_t id = 0; id < used; ++id) {
            boxes_[id]->setChecked((*stored)[id] != 0);
        }
    }
    const auto isChecked = [](const SkinTickBox* box) { return box->isChecked(); };
    all_->setChecked(std::all_of(boxes_.begin(), boxes_.end(), isChecked));
}

void CScannerDlg::storeSelection() {
    std::vector<std::uint8_t> bytes;
    for (const bool ticked : selection()) {
        bytes.push_back(ticked ? 1 : 0);
    }
    storing_.start(
        [&profile = context().profile, bytes = std::move(bytes)](std::stop_token) {
            profile.writeProfileBinary(uiSection, selectionEntry, bytes);
        },
        [] {});
}

std::array<bool, moduleCount> CScannerDlg::selection() const {
    std::array<bool, moduleCount> ticked{};
    for (std::size_t id = 0; id < boxes_.size(); ++id) {
        ticked[id] = boxes_[id]->isChecked();
    }
    return ticked;
}

void CScannerDlg::allClicked() {
    for (auto* box : boxes_) {
        box->setChecked(all_->isChecked());
    }
}

void CScannerDlg::firstModuleClicked() {
    const auto isChecked = [](const SkinTickBox* box) { return box->isChecked(); };
    all_->setChecked(std::all_of(boxes_.begin(), boxes_.end(), isChecked));
}

void CScannerDlg::startMainAction() {
    if (refusedWhileBusy(QStringLiteral("Scan"))) {
        return;
    }
    CTabPanel* tabs = tabPanel();
    auto* progress = tabs != nullptr
                         ? dynamic_cast<CScannerProcessDlg*>(tabs->page(page::scanProgress))
                         : nullptr;
    if (progress == nullptr || requirePlatform() == nullptr) {
        return;
    }
    tabs->switchTo(page::scanProgress);
    if (!progress->startScan(selection())) {
        tabs->switchTo(page::scanner);
        return;
    }
    storeSelection();
}

} // namespace tolvane
