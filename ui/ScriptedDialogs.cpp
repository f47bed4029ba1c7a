#include "ui/ScriptedDialogs.h"

namespace tolvane {

void ScriptedDialogs::setNextAnswer(bool yes) {
    const std::lock_guard lock(mutex_);
    answers_.push_back({yes, std::nullopt, {}});
}

void ScriptedDialogs::setNextChoice(Dialogs::Answer choice) {
    const std::lock_guard lock(mutex_);
    answers_.push_back({choice == Dialogs::Answer::yes, choice, {}});
}

void ScriptedDialogs::setNextFolder(const QString& folder) {
    const std::lock_guard lock(mutex_);
    answers_.push_back({!folder.isEmpty(), std::nullopt, folder});
}

ScriptedDialogs::Scripted ScriptedDialogs::take(Kind kind, const QString& caption,
                                                const QString& text) {
    const std::lock_guard lock(mutex_);
    shown_.push_back({kind, caption, text});
    if (kind == Kind::information || kind == Kind::error || answers_.empty()) {
        return {};
    }
    Scripted answer = answers_.front();
    answers_.pop_front();
    return answer;
}

bool ScriptedDialogs::question(QWidget*, const QString& caption, const QString& text) {
    return take(Kind::question, caption, text).yes;
}

Dialogs::Answer ScriptedDialogs::questionWithCancel(QWidget*, const QString& caption,
                                                    const QString& text) {
    const bool queued = pendingAnswers() > 0;
    const Scripted answer = take(Kind::question, caption, text);
    if (!queued) {
        return Answer::cancel;
    }
    return answer.choice.value_or(answer.yes ? Answer::yes : Answer::no);
}

void ScriptedDialogs::information(QWidget*, const QString& caption, const QString& text) {
    take(Kind::information, caption, text);
}

void ScriptedDialogs::error(QWidget*, const QString& caption, const QString& text) {
    take(Kind::error, caption, text);
}

std::optional<QString> ScriptedDialogs::chooseFolder(QWidget*, const QString& caption,
                                                     const QString&) {
    Scripted answer = take(Kind::chooseFolder, caption, caption);
    if (answer.folder.isEmpty()) {
        return std::nullopt;
    }
    return answer.folder;
}

std::optional<QString> ScriptedDialogs::chooseSaveFile(QWidget*, const QString& caption,
                                                       const QString&, const QString&) {
    // Answered like a folder chooser: setNextFolder names the file.
    Scripted answer = take(Kind::chooseFolder, caption, caption);
    if (answer.folder.isEmpty()) {
        return std::nullopt;
    }
    return answer.folder;
}

std::vector<ScriptedDialogs::Shown> ScriptedDialogs::shown() const {
    const std::lock_guard lock(mutex_);
    return shown_;
}

QStringList ScriptedDialogs::texts() const {
    const std::lock_guard lock(mutex_);
    QStringList texts;
    for (const auto& dialog : shown_) {
        texts << dialog.text;
    }
    return texts;
}

void ScriptedDialogs::clear() {
    const std::lock_guard lock(mutex_);
    shown_.clear();
    answers_.clear();
}

std::size_t ScriptedDialogs::pendingAnswers() const {
    const std::lock_guard lock(mutex_);
    return answers_.size();
}

std::optional<QString> ScriptedDialogs::chooseItem(QWidget*, const QString& caption,
                                                   const QString& text, const QStringList&) {
    Scripted answer = take(Kind::chooseItem, caption, text);
    if (answer.folder.isEmpty()) {
        return std::nullopt;
    }
    return answer.folder;
}

} // namespace tolvane
