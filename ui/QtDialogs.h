#pragma once

#include "ui/Dialogs.h"

#include <QMessageBox>
#include <memory>

namespace tolvane {

class Theme;

// Dialogs shown with QMessageBox and QFileDialog, in the program's colours.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(const Theme& theme) : theme_(theme) {}

    // A message box in the program's colours, whatever the desktop's theme: the box, its texts
    // and its buttons all take them, so light text never lands on our light background.
    static std::unique_ptr<QMessageBox> makeBox(const Theme& theme, QWidget* parent,
                                                QMessageBox::Icon icon, const QString& caption,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons);

    bool question(QWidget* parent, const QString& caption, const QString& text) override;
    Answer questionWithCancel(QWidget* parent, const QString& caption,
                              const QString& text) override;
    Answer questionWithChoices(QWidget* parent, const QString& caption, const QString& text,
                               const QString& yesText, const QString& noText) override;
    void information(QWidget* parent, const QString& caption, const QString& text) override;
    void error(QWidget* parent, const QString& caption, const QString& text) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                        const QString& startFolder) override;
    std::optional<QString> chooseSaveFile(QWidget* parent, const QString& caption,
                                          const QString& suggested, const QString& filter) override;
    std::optional<QString> chooseItem(QWidget* parent, const QString& caption, const QString& text,
                                      const QStringList& items) override;

private:
    const Theme& theme_;
};

} // namespace tolvane
