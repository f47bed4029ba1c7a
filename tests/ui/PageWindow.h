#pragma once

#include "tests/ui/UiBench.h"
#include "ui/CHollinDlg.h"

#include <QString>
#include <QTest>
#include <functional>
#include <memory>

namespace tolvane::test {

// The main window over the test platform for the pages that scan, fix, back up and defragment:
// the thirteen real modules (or those a test hands in), dialogs answered from bench.dialogs,
// and an optional step that runs when a question is asked (as a user might act meanwhile).
class PageWindow {
public:
    // The five problems of tests that fix: three App Paths entries without a drive path and two
    // startup entries whose programs are gone.
    static constexpr const char* fiveProblems =
        "REGEDIT4\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\alpha.exe]\n"
        "@=\"%ProgramFiles%\\\\Gone\\\\alpha.exe\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\beta.exe]\n"
        "@=\"%ProgramFiles%\\\\Gone\\\\beta.exe\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gamma.exe]\n"
        "@=\"%ProgramFiles%\\\\Gone\\\\gamma.exe\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
        "\"Delta\"=\"\\\"C:\\\\Gone\\\\delta.exe\\\"\"\n"
        "\"Echo\"=\"\\\"C:\\\\Gone\\\\echo.exe\\\" /quiet\"\n";

    static ModuleFactoryMaker realModules();

    // `prepare` runs on the bench before the window is made (stored settings, registry).
    explicit PageWindow(const std::function<void(UiBench&)>& prepare = {},
                        ModuleFactoryMaker modules = realModules());
    ~PageWindow();

    CHollinDlg& window() { return *window_; }
    CTabPanel& tabs() { return window_->tabPanel(); }
    UiContext& context() { return context_; }

    template <typename Widget = QWidget>
    Widget* find(const char* objectName) {
        auto* widget = window_->findChild<Widget*>(QString::fromLatin1(objectName));
        if (widget == nullptr) {
            qFatal("no control named %s", objectName);
        }
        return widget;
    }
    void click(const char* objectName);
    QString text(const char* objectName);
    // Lets queued work run until the operation under way has completed (at most 5 s).
    bool settle();

    UiBench bench;
    std::function<void(const QString& question)> onQuestion;
    // Runs when a message (information or error) is shown, before it is recorded.
    std::function<void(const QString& message)> onMessage;

private:
    class QuestionHook final : public Dialogs {
    public:
        explicit QuestionHook(PageWindow& owner) : owner_(owner) {}
        bool question(QWidget* parent, const QString& caption, const QString& text) override;
        Answer questionWithCancel(QWidget* parent, const QString& caption,
                                  const QString& text) override;
        void information(QWidget* parent, const QString& caption, const QString& text) override;
        void error(QWidget* parent, const QString& caption, const QString& text) override;
        std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                            const QString& startFolder) override;
        std::optional<QString> chooseSaveFile(QWidget* parent, const QString& caption,
                                              const QString& suggested,
                                              const QString& filter) override;
        std::optional<QString> chooseItem(QWidget* parent, const QString& caption,
                                          const QString& text, const QStringList& items) override;

    private:
        PageWindow& owner_;
    };

    QuestionHook dialogs_{*this};
    UiContext context_;
    std::unique_ptr<CHollinDlg> window_;
};

} // namespace tolvane::test
