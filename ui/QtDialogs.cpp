#include "ui/QtDialogs.h"

#include "ui/Theme.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tolvane {

namespace {

int showBox(const Theme& theme, QWidget* parent, QMessageBox::Icon icon, const QString& caption,
            const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setStyleSheet(theme.dialogStyleSheet());
    return box.exec();
}

} // namespace

bool QtDialogs::question(QWidget* parent, const QString& caption, const QString& text) {
    return showBox(theme_, parent, QMessageBox::Question, caption, text,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
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

} // namespace tolvane
