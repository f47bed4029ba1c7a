#pragma once

#include "ui/Dialogs.h"

namespace tolvane {

class Theme;

// Dialogs shown with QMessageBox and QFileDialog, in the program's colours.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(const Theme& theme) : theme_(theme) {}

    bool question(QWidget* parent, const QString& caption, const QString& text) override;
    void information(QWidget* parent, const QString& caption, const QString& text) override;
    void error(QWidget* parent, const QString& caption, const QString& text) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                        const QString& startFolder) override;

private:
    const Theme& theme_;
};

} // namespace tolvane
