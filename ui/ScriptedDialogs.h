#pragma once

#include "ui/Dialogs.h"

#include <QStringList>
#include <deque>
#include <mutex>
#include <vector>

namespace tolvane {

// Dialogs answered from a script instead of a person: tests and the screenshot run queue the
// answers with setNextAnswer, and read back every dialog that was shown. A dialog with no
// queued answer gets the cautious one: No, Cancel, OK, no folder.
class ScriptedDialogs final : public Dialogs {
public:
    enum class Kind { question, information, error, chooseFolder, chooseItem };

    struct Scripted {
        bool yes = false;
        // For questionWithCancel: the answer; a Yes/No script answers Yes or No.
        std::optional<Dialogs::Answer> choice;
        // For chooseFolder and chooseItem: the folder or item picked; empty means cancelled.
        QString folder;
    };

    struct Shown {
        Kind kind;
        QString caption;
        QString text;
    };

    void setNextAnswer(bool yes);
    void setNextChoice(Dialogs::Answer choice);
    void setNextFolder(const QString& folder);

    bool question(QWidget* parent, const QString& caption, const QString& text) override;
    Answer questionWithCancel(QWidget* parent, const QString& caption,
                              const QString& text) override;
    void information(QWidget* parent, const QString& caption, const QString& text) override;
    void error(QWidget* parent, const QString& caption, const QString& text) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                        const QString& startFolder) override;
    std::optional<QString> chooseSaveFile(QWidget* parent, const QString& caption,
                                          const QString& suggested, const QString& filter) override;
    // Answered like a folder chooser: setNextFolder names the item.
    std::optional<QString> chooseItem(QWidget* parent, const QString& caption, const QString& text,
                                      const QStringList& items) override;

    std::vector<Shown> shown() const;
    // The texts of every dialog shown, in order.
    QStringList texts() const;
    void clear();
    // Answers queued but not used.
    std::size_t pendingAnswers() const;

private:
    Scripted take(Kind kind, const QString& caption, const QString& text);

    mutable std::mutex mutex_;
    std::deque<Scripted> answers_;
    std::vector<Shown> shown_;
};

} // namespace tolvane
