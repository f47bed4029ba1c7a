#include "ui/QtDialogs.h"

#include "ui/Theme.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tolvane {

namespace {

int showBox(const Theme& theme, QWidget* parent, QMessageBox::Icon icon, const QString& caption,
            const QString& text, QMessageBox::StandardButtons buttons) {
    return QtDialogs::makeBox(theme, parent, icon, caption, text, buttons)->exec();
}

} // namespace

std::unique_ptr<QMessageBox> QtDialogs::makeBox(const Theme& theme, QWidget* parent,
                                                QMessageBox::Icon icon, const QString& caption,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons) {
    auto box = std::make_unique<QMessageBox>(icon, caption, text, buttons, parent);
    // The palette reaches every child (the texts inherit it); the style sheet only shapes the
    // buttons, whose colours it names itself.
    box->setPalette(theme.dialogPalette());
    box->setAutoFillBackground(true);
    box->setStyleSheet(theme.dialogStyleSheet());
    return box;
}

bool QtDialogs::question(QWidget* parent, const QString& caption, const QString& text) {
    return showBox(theme_, parent, QMessageBox::Question, caption, text,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

Dialogs::Answer QtDialogs::questionWithCancel(QWidget* parent, const QString& caption,
                                              const QString& text) {
    // With a Cancel button, Escape and the close button both answer Cancel.
    switch (showBox(theme_, parent, QMessageBox::Question, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::yes;
    case QMessageBox::No:
        return Answer::no;
    default:
        return Answer::cancel;
    }
}

Dialogs::Answer QtDialogs::questionWithChoices(QWidget* parent, const QString& caption,
                                               const QString& text, const QString& yesText,
                                               const QString& noText) {
    auto box = makeBox(theme_, parent, QMessageBox::Question, caption, text,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box->button(QMessageBox::Yes)->setText(yesText);
    box->button(QMessageBox::No)->setText(noText);
    box->setEscapeButton(QMessageBox::Cancel);
    switch (box->exec()) {
    case QMessageBox::Yes:
        return Answer::yes;
    case QMessageBox::No:
        return Answer::no;
    default:
        return Answer::cancel;
    }
}

void QtDialogs::information(QWidget* parent, const QString& caption, const QString& text) {
    showBox(theme_, parent, QMessageBox::Information, caption, text, QMessageBox::Ok);
}

void QtDialogs::error(QWidget* parent, const QString& caption, const QString& text) {
    showBox(theme_, parent, QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const QString& caption,
                                               const QString& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(parent, caption, startFolder);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder;
}

std::optional<QString> QtDialogs::chooseSaveFile(QWidget* parent, const QString& caption,
                                                 const QString& suggested, const QString& filter) {
    const QString file = QFileDialog::getSaveFileName(parent, caption, suggested, filter);
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return file;
}

std::optional<QString> QtDialogs::chooseItem(QWidget* parent, const QString& caption,
                                             const QString& text, const QStringList& items) {
    bool chosen = false;
    const QString item = QInputDialog::getItem(parent, caption, text, items, 0, false, &chosen);
    if (!chosen || item.isEmpty()) {
        return std::nullopt;
    }
    return item;
}

} // namespace tolvane
