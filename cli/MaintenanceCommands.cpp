#include "cli/MaintenanceCommands.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "maintenance/FullBackups.h"
#include "maintenance/HiveFlusher.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/ProfileStore.h"
#include "platform/RegistryStorage.h"
#include "platform/base/TimeText.h"

#include <ostream>

namespace tolvane {

int MaintenanceCommands::backup(CliContext& context) {
    const bool forceOtherPrefix = context.line.takeFlag("--force-other-prefix");
    auto& arguments = context.line.arguments;
    const std::string action = arguments.empty() ? "" : arguments.front();
    const bool named = action == "restore" || action == "delete" || action == "import-legacy";
    const std::size_t expected = named ? 2 : 1;
    if ((!named && action != "list" && action != "create") || arguments.size() != expected ||
        (forceOtherPrefix && action != "restore")) {
        context.fail("usage: tolvane-cli [--prefix DIR] backup list | create | restore NAME "
                     "[--force-other-prefix] | delete NAME | import-legacy DIR");
        return exitcode::usage;
    }
    // Restore changes the registry; listing, creating and deleting backups only read it.
    auto session = action == "restore" ? context.openChangingSession() : context.openSession();
    if (!session) {
        return exitcode::failure;
    }
    Platform& platform = session->platform();
    FullBackups backups(platform);
    if (action == "list") {
        for (const auto& entry : backups.list()) {
            context.out << entry.folderName << "\n";
        }
        return exitcode::ok;
    }
    if (action == "create") {
        auto created = backups.create();
        if (!created) {
            context.fail(created.message());
            return exitcode::failure;
        }
        session->settings().writeProfileString("UI", "Last Backup",
                                               historyTimeText(platform.clock.now()));
        context.out << "Backup " << created.value() << " created in " << backups.root().string()
                    << "\n";
        return exitcode::ok;
    }
    const std::string& name = arguments[1];
    if (action == "import-legacy") {
        auto imported = backups.importLegacy(name);
        if (!imported) {
            context.fail(imported.message());
            return exitcode::failure;
        }
        context.out << imported.value() << " backups of " << name << " imported into "
                    << backups.root().string() << "\n";
        return exitcode::ok;
    }
    if (action == "restore") {
        if (!forceOtherPrefix && backups.otherOrigin(name)) {
            context.fail("the backup " + name + " was made from " + *backups.otherOrigin(name) +
                         "; add --force-other-prefix to restore it here all the same");
            return exitcode::failure;
        }
        return context.report(backups.restore(name, forceOtherPrefix),
                              "Backup " + name + " restored");
    }
    return context.report(backups.remove(name), "Backup " + name + " deleted");
}

int MaintenanceCommands::defrag(CliContext& context) {
    if (!context.line.arguments.empty()) {
        context.fail("defrag takes no argument " + context.line.arguments.front());
        return exitcode::usage;
    }
    auto session = context.openChangingSession();
    if (!session) {
        return exitcode::failure;
    }
    Platform& platform = session->platform();
    if (auto writable = platform.storage.ensureWritable(); !writable) {
        context.fail(writable.message());
        return exitcode::failure;
    }
    // The history records when the flush started.
    session->settings().writeProfileString("UI", "Last Defrag",
                                           historyTimeText(platform.clock.now()));
    HiveFlusher flusher(platform.registry, platform.storage, platform.clock);
    return context.report(flusher.flushRegistryHives(), "Registry hives flushed to disk");
}

} // namespace tolvane
