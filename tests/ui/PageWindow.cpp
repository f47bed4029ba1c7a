#include "tests/ui/PageWindow.h"

#include "modules/DefaultModules.h"
#include "ui/CScannerProcessDlg.h"
#include "ui/CTabPanel.h"
#include "ui/SkinButton.h"

#include <QAbstractButton>
#include <QLabel>

namespace tolvane::test {

ModuleFactoryMaker PageWindow::realModules() {
    return [](Platform& platform) { return defaultModuleFactory(platform); };
}

PageWindow::PageWindow(const std::function<void(UiBench&)>& prepare, ModuleFactoryMaker modules)
    : context_{bench.busy,
               bench.profile(),
               bench.session,
               bench.autostart(),
               dialogs_,
               bench.links,
               bench.theme,
               std::move(modules),
               bench.context().helpFile,
               [] { return true; },
               nullptr} {
    if (prepare) {
        prepare(bench);
    }
    window_ = std::make_unique<CHollinDlg>(context_);
    UiBench::showAndSettle(*window_);
}

PageWindow::~PageWindow() {
    // An operation still running (a failed test) ends before the pages go.
    settle();
    window_.reset();
}

void PageWindow::click(const char* objectName) {
    QTest::mouseClick(find<QAbstractButton>(objectName), Qt::LeftButton);
}

QString PageWindow::text(const char* objectName) {
    return find<QLabel>(objectName)->text();
}

bool PageWindow::settle() {
    // An operation has ended once `busy` is clear and its completion step has run on the GUI
    // thread: the scan has handed its results over, and no activity bar is shown.
    const auto idle = [this] {
        auto* scan = dynamic_cast<CScannerProcessDlg*>(tabs().page(page::scanProgress));
        if (bench.busy != 0 || (scan != nullptr && scan->scanning())) {
            return false;
        }
        for (const char* bar : {"fixBar", "backupBar", "defragBar"}) {
            if (!find<QWidget>(bar)->isHidden()) {
                return false;
            }
        }
        return true;
    };
    // Queued requests (the Overview's Start buttons) are delivered first.
    QCoreApplication::processEvents();
    return QTest::qWaitFor(idle, 5000);
}

bool PageWindow::QuestionHook::question(QWidget* parent, const QString& caption,
                                        const QString& text) {
    if (owner_.onQuestion) {
        owner_.onQuestion(text);
    }
    return owner_.bench.dialogs.question(parent, caption, text);
}

Dialogs::Answer PageWindow::QuestionHook::questionWithCancel(QWidget* parent,
                                                             const QString& caption,
                                                             const QString& text) {
    if (owner_.onQuestion) {
        owner_.onQuestion(text);
    }
    return owner_.bench.dialogs.questionWithCancel(parent, caption, text);
}

void PageWindow::QuestionHook::information(QWidget* parent, const QString& caption,
                                           const QString& text) {
    if (owner_.onMessage) {
        owner_.onMessage(text);
    }
    owner_.bench.dialogs.information(parent, caption, text);
}

void PageWindow::QuestionHook::error(QWidget* parent, const QString& caption, const QString& text) {
    if (owner_.onMessage) {
        owner_.onMessage(text);
    }
    owner_.bench.dialogs.error(parent, caption, text);
}

std::optional<QString> PageWindow::QuestionHook::chooseFolder(QWidget* parent,
                                                              const QString& caption,
                                                              const QString& startFolder) {
    return owner_.bench.dialogs.chooseFolder(parent, caption, startFolder);
}

std::optional<QString> PageWindow::QuestionHook::chooseSaveFile(QWidget* parent,
                                                                const QString& caption,
                                                                const QString& suggested,
                                                                const QString& filter) {
    return owner_.bench.dialogs.chooseSaveFile(parent, caption, suggested, filter);
}

std::optional<QString> PageWindow::QuestionHook::chooseItem(QWidget* parent, const QString& caption,
                                                            const QString& text,
                                                            const QStringList& items) {
    return owner_.bench.dialogs.chooseItem(parent, caption, text, items);
}

} // namespace tolvane::test
