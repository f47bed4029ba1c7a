#include "ui/CSettingsDlg.h"

#include "platform/Autostart.h"
#include "platform/ProfileStore.h"
#include "ui/IgnoredEntriesDlg.h"
#include "ui/PrefixCombo.h"
#include "ui/PrefixSwitcher.h"
#include "ui/RegistrySession.h"
#include "ui/SkinCheckBox.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QLabel>

namespace tolvane {

namespace {

constexpr const char* settingsSection = "Settings";
// Linux desktops start the program with the user's session, not with the system.
#ifdef Q_OS_WIN
constexpr const char* autostartText = "Start With Windows";
#else
constexpr const char* autostartText = "Start at login";
#endif

} // namespace

CSettingsDlg::CSettingsDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("Settings"), parent) {
    setObjectName(QStringLiteral("settingsPage"));
    setDecoration(QPoint(10, 50), Artwork::Glyph::settings);
    addLabel(QStringLiteral("settingsIntro"), QStringLiteral("How Tolvane starts"),
             QRect(58, 50, 300, 44), theme().valueFont(), theme().captionText());

    const auto makeBox = [this](const char* objectName, const char* text, int top) {
        auto* box = new SkinCheckBox(theme(), QString::fromLatin1(text), this);
        box->setObjectName(QString::fromLatin1(objectName));
        box->setGeometry(20, top, 330, SkinCheckBox::imageSide);
        return box;
    };
    autostart_ = makeBox("autostartCheck", autostartText, 110);
    runScan_ = makeBox("runScanCheck", "Run Scan at Startup", 160);
    startMinimized_ = makeBox("startMinimizedCheck", "Start Minimized in Tray", 210);

    // With the prefixes of this machine at hand the combo opens their list, and the button
    // is for a prefix elsewhere.
    const bool picker = context.prefixes != nullptr;
    prefix_ = addLabel(QStringLiteral("prefixLabel"), QString(),
                       picker ? QRect(22, 266, 82, 28) : QRect(22, 266, 300, 28),
                       theme().smallFont(), theme().mutedText());
    if (picker) {
        auto* combo = new PrefixCombo(context, *context.prefixes, this);
        combo->setGeometry(104, 266, 224, 28);
    }
    SkinButton* change =
        addButton(QStringLiteral("choosePrefixButton"), SkinButton::Style::secondary,
                  picker ? QStringLiteral("Other folder...") : QStringLiteral("Change..."),
                  std::nullopt, picker ? QRect(334, 266, 100, 28) : QRect(330, 266, 76, 28));
    connect(change, &SkinButton::clicked, this, &CSettingsDlg::choosePrefix);
    connect(&context.session, &RegistrySession::platformChanged, this, &CSettingsDlg::showPrefix);
    showPrefix();

    SkinButton* ignoredButton = addButton(
        QStringLiteral("ignoredEntriesButton"), SkinButton::Style::secondary,
        QStringLiteral("Ignored entries") + QChar(0x2026), std::nullopt, QRect(20, 310, 130, 30));
    ignoredButton->setToolTip(QStringLiteral("The entries that scans leave out; remove them to "
                                             "have them reported again"));
    connect(ignoredButton, &SkinButton::clicked, this, &CSettingsDlg::showIgnoredEntries);

    SkinButton* applyButton =
        addButton(QStringLiteral("applyButton"), SkinButton::Style::primary,
                  QStringLiteral("Apply"), std::nullopt, QRect(350, 310, 46, 30));
    connect(applyButton, &SkinButton::clicked, this, &CSettingsDlg::apply);
    SkinButton* defaults =
        addButton(QStringLiteral("defaultButton"), SkinButton::Style::secondary,
                  QStringLiteral("Default"), std::nullopt, QRect(400, 310, 58, 30));
    connect(defaults, &SkinButton::clicked, this, &CSettingsDlg::restoreDefaults);

    ProfileStore& profile = context.profile;
    runScan_->setChecked(profile.getProfileInt(settingsSection, "RunScanAtStartup", 0) != 0);
    startMinimized_->setChecked(profile.getProfileInt(settingsSection, "StartMinimized", 0) != 0);
    autostart_->setChecked(profile.getProfileInt(settingsSection, "Autostart", 0) != 0);
}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::showIgnoredEntries() {
    if (!ignored_) {
        ignored_ = std::make_unique<IgnoredEntriesDlg>(context().profile, context().dialogs,
                                                       context().session.ignorePlace(), this);
        ignored_->setPalette(theme().dialogPalette());
    }
    ignored_->reload();
    ignored_->open();
}

void CSettingsDlg::apply() {
    ProfileStore& profile = context().profile;
    profile.writeProfileInt(settingsSection, "RunScanAtStartup", runScan_->isChecked() ? 1 : 0);
    profile.writeProfileInt(settingsSection, "StartMinimized",
                            startMinimized_->isChecked() ? 1 : 0);
    profile.writeProfileInt(settingsSection, "Autostart", autostart_->isChecked() ? 1 : 0);
    context().autostart.SetAutostart(autostart_->isChecked());
    showStatus(QStringLiteral("Settings applied."));
}

void CSettingsDlg::restoreDefaults() {
    // The defaults are those of an empty profile: every option off. Starting with the session
    // is something the user turns on, never a default.
    startMinimized_->setChecked(false);
    runScan_->setChecked(false);
    autostart_->setChecked(false);
    apply();
    showStatus(QStringLiteral("Default settings restored and applied."));
}

void CSettingsDlg::choosePrefix() {
    PrefixSwitcher(context(), this).chooseOtherFolder();
    showPrefix();
}

void CSettingsDlg::showPrefix() {
    const QString location = context().session.location();
    if (context().prefixes != nullptr) {
        prefix_->setText(QStringLiteral("Wine prefix:"));
        prefix_->setToolTip(location);
        return;
    }
    const QString text = location.isEmpty() ? QStringLiteral("Wine prefix: none chosen")
                                            : QStringLiteral("Wine prefix: %1").arg(location);
    prefix_->setText(
        QFontMetrics(prefix_->font()).elidedText(text, Qt::ElideMiddle, prefix_->width()));
    prefix_->setToolTip(location);
}

} // namespace tolvane
