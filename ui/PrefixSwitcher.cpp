#include "ui/PrefixSwitcher.h"

#include "platform/discovery/DiscoveredPrefix.h"
#include "platform/offline/OfflinePlatform.h"
#include "ui/Dialogs.h"
#include "ui/PrefixCatalog.h"
#include "ui/ProductInfo.h"
#include "ui/RegistrySession.h"
#include "ui/UiContext.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <system_error>

namespace tolvane {

namespace {

constexpr int stopTimeoutMs = 15000;

QString caption() {
    return QString::fromLatin1(product::name);
}

bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error);
}

} // namespace

PrefixSwitcher::PrefixSwitcher(UiContext& context, QWidget* parent)
    : context_(context), parent_(parent) {}

bool PrefixSwitcher::refusedWhileBusy() {
    if (context_.busy == 0) {
        return false;
    }
    context_.dialogs.information(parent_, caption(),
                                 QStringLiteral("The Wine prefix cannot be changed while a scan, "
                                                "repair, backup or defragmentation runs.\n\n"
                                                "Choose it again once that has finished."));
    return true;
}

bool PrefixSwitcher::switchTo(const std::filesystem::path& folder) {
    if (refusedWhileBusy() || sameFolder(folder, context_.session.folder())) {
        return false;
    }
    return context_.session.openFolder(folder, parent_);
}

bool PrefixSwitcher::chooseOtherFolder() {
    if (refusedWhileBusy()) {
        return false;
    }
    return context_.session.choose(parent_);
}

bool PrefixSwitcher::chooseWindowsInstallation() {
    if (refusedWhileBusy()) {
        return false;
    }
    const auto folder = context_.dialogs.chooseFolder(
        parent_, QStringLiteral("Choose the folder where the Windows installation is mounted"),
        QStringLiteral("/mnt"));
    if (!folder) {
        return false;
    }
    const std::filesystem::path path = folder->toStdString();
    if (!offline::OfflinePlatform::isInstallation(path)) {
        context_.dialogs.error(parent_, caption(),
                               QStringLiteral("There is no Windows installation at %1: it has no "
                                              "Windows\\System32\\config\\SOFTWARE hive.")
                                   .arg(*folder));
        return false;
    }
    return switchTo(path);
}

bool PrefixSwitcher::stopServer(const discovery::DiscoveredPrefix& prefix, PrefixCatalog& catalog) {
    const QString folder = QString::fromStdString(prefix.path.string());
    const QString command = QStringLiteral("WINEPREFIX=%1 %2 -k").arg(folder, catalog.wineserver());
    const QString question =
        QStringLiteral("A wineserver is running for the Wine prefix %1, so Tolvane cannot change "
                       "it now.\n\nStop it with\n%2\n?\n\nPrograms still running in this prefix "
                       "are ended and lose what they have not saved.")
            .arg(folder, command);
    if (!context_.dialogs.question(parent_, caption(), question)) {
        return false;
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), folder);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(catalog.wineserver(), {QStringLiteral("-k")});
    QString failure;
    if (!process.waitForStarted(stopTimeoutMs)) {
        failure = QStringLiteral("%1 could not be started: %2")
                      .arg(catalog.wineserver(), process.errorString());
    } else if (!process.waitForFinished(stopTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        failure = QStringLiteral("%1 did not finish within %2 seconds.")
                      .arg(command)
                      .arg(stopTimeoutMs / 1000);
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
        failure = QStringLiteral("%1 failed (exit code %2)%3")
                      .arg(command)
                      .arg(process.exitCode())
                      .arg(output.isEmpty() ? QString() : QStringLiteral(":\n") + output);
    }
    catalog.refresh();
    if (!failure.isEmpty()) {
        context_.dialogs.error(parent_, caption(), failure);
        return false;
    }
    context_.dialogs.information(
        parent_, caption(),
        QStringLiteral("The wineserver of the Wine prefix %1 has been stopped.").arg(folder));
    return true;
}

} // namespace tolvane
