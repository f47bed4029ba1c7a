#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace tolvane {

// Every message box and folder chooser of the program goes through this interface, so tests
// answer them (ScriptedDialogs) while the program shows real ones (QtDialogs). Call it on the
// GUI thread only; a worker hands its question over with GuiThread::callAndWait.
class Dialogs {
public:
    enum class Answer { yes, no, cancel };

    virtual ~Dialogs() = default;

    // Yes/No with a question icon; true for Yes.
    virtual bool question(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Yes/No/Cancel with a question icon; Escape and the window's close button answer Cancel.
    virtual Answer questionWithCancel(QWidget* parent, const QString& caption,
                                      const QString& text) = 0;
    // questionWithCancel with its Yes and No buttons named for the two choices (the answer is
    // yes for the first, no for the second). Scripts answer it as they answer
    // questionWithCancel, which it falls back to.
    virtual Answer questionWithChoices(QWidget* parent, const QString& caption, const QString& text,
                                       const QString& yesText, const QString& noText) {
        static_cast<void>(yesText);
        static_cast<void>(noText);
        return questionWithCancel(parent, caption, text);
    }
    // OK with an information icon.
    virtual void information(QWidget* parent, const QString& caption, const QString& text) = 0;
    // OK with a critical icon: an action could not run or failed.
    virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A folder picked by the user, or nothing when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                                const QString& startFolder) = 0;
    // A file to write, picked by the user, or nothing when cancelled. `filter` as QFileDialog
    // takes it ("CSV (*.csv);;JSON (*.json)").
    virtual std::optional<QString> chooseSaveFile(QWidget* parent, const QString& caption,
                                                  const QString& suggested,
                                                  const QString& filter) = 0;
    // One of `items`, picked by the user from a list under `text`, or nothing when cancelled.
    virtual std::optional<QString> chooseItem(QWidget* parent, const QString& caption,
                                              const QString& text, const QStringList& items) = 0;
};

} // namespace tolvane
