#include "ui/PrefixCombo.h"

#include "ui/CPrefixPickerDlg.h"
#include "ui/PrefixCatalog.h"
#include "ui/RegistrySession.h"
#include "ui/UiContext.h"

namespace tolvane {

PrefixCombo::PrefixCombo(UiContext& context, PrefixCatalog& catalog, QWidget* parent)
    : QComboBox(parent), context_(context), catalog_(catalog), icons_(context.theme) {
    setObjectName(QStringLiteral("prefixCombo"));
    setIconSize(QSize(18, 18));
    setFocusPolicy(Qt::StrongFocus);
    connect(&context.session, &RegistrySession::platformChanged, this, &PrefixCombo::showCurrent);
    connect(&catalog, &PrefixCatalog::refreshed, this, &PrefixCombo::showCurrent);
    showCurrent();
}

void PrefixCombo::showCurrent() {
    const auto folder = context_.session.folder();
    clear();
    if (folder.empty()) {
        addItem(QStringLiteral("No Wine prefix open"));
        setToolTip(QStringLiteral("Choose the Wine prefix to clean"));
        return;
    }
    const auto title = catalog_.title(folder);
    const auto launcher = LauncherIcons::fromName(title.launcher.toStdString());
    addItem(QIcon(icons_.pixmap(launcher)),
            QStringLiteral("%1: %2").arg(title.launcher, title.name));
    setToolTip(QString::fromStdString(folder.string()));
}

void PrefixCombo::showPopup() {
    if (picker_) {
        picker_->raise();
        picker_->activateWindow();
        return;
    }
    catalog_.refresh();
    picker_ = new CPrefixPickerDlg(context_, catalog_, window());
    picker_->setAttribute(Qt::WA_DeleteOnClose);
    picker_->open();
}

} // namespace tolvane
