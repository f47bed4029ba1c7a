#include "ui/ScriptedDialogs.h"

namespace tolvane {

void ScriptedDialogs::setNextAnswer(bool yes) {
    const std::lock_guard lock(mutex_);
    answers_.push_back({yes, {}});
}

void ScriptedDialogs::setNextFolder(const QString& folder) {
    const std::lock_guard lock(mutex_);
    answers_.push_back({!folder.isEmpty(), folder});
}

ScriptedDialogs::Answer ScriptedDialogs::take(Kind kind, const QString& caption,
                                              const QString& text) {
    const std::lock_guard lock(mutex_);
    shown_.push_back({kind, caption, text});
    if (kind == Kind::information || kind == Kind::error || answers_.empty()) {
        return {};
    }
    Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

bool ScriptedDialogs::question(QWidget*, const QString& caption, const QString& text) {
    return take(Kind::question, caption, text).yes;
}

void ScriptedDialogs::information(QWidget*, const QString& caption, const QString& text) {
    take(Kind::information, caption, text);
}

void ScriptedDialogs::error(QWidget*, const QString& caption, const QString& text) {
    take(Kind::error, caption, text);
}

std::optional<QString> ScriptedDialogs::chooseFolder(QWidget*, const QString& caption,
                                                     const QString&) {
    Answer answer = take(Kind::chooseFolder, caption, caption);
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

} // namespace tolvane
