#include "cli/ScanCommands.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/CliScanner.h"
#include "cli/CliSession.h"
#include "cli/JsonText.h"
#include "engine/FixRun.h"
#include "engine/ModuleTable.h"
#include "platform/Platform.h"
#include "platform/RegistryStorage.h"
#ifndef _WIN32
#include "cli/PrefixCommands.h"
#endif

#include <future>
#include <ostream>

namespace tolvane {

namespace {

void printJson(std::ostream& out, const ProblemList& problems, std::size_t ignored) {
    out << "{\"count\": " << problems.count() << ", \"ignored\": " << ignored
        << ", \"problems\": [";
    const char* separator = "\n";
    for (const auto& record : problems) {
        out << separator << "  {\"moduleId\": " << record.moduleId
            << ", \"entryKind\": " << record.entryKind
            << ", \"problemName\": " << jsonString(record.problemName)
            << ", \"description\": " << jsonString(record.description)
            << ", \"primaryName\": " << jsonString(record.primaryName)
            << ", \"secondaryName\": " << jsonString(record.secondaryName) << "}";
        separator = ",\n";
    }
    out << (problems.empty() ? "" : "\n") << "]}\n";
}

void printRecord(std::ostream& out, const ProblemRecord& record) {
    out << "[" << moduleDisplayName(record.moduleId) << "] " << record.problemName << "\n    "
        << record.description << "\n";
}

void printTable(std::ostream& out, const ProblemList& problems, std::size_t ignored) {
    for (const auto& record : problems) {
        printRecord(out, record);
    }
    out << problems.count() << (problems.count() == 1 ? " problem" : " problems") << " found";
    if (ignored > 0) {
        out << ", " << ignored << " ignored";
    }
    out << ".\n";
}

// Opens the session and parses --modules; on failure the exit code is returned instead.
struct Prepared {
    std::unique_ptr<CliSession> session;
    CliScanner::Selection modules{};
    int exitCode = exitcode::ok;
};

Prepared prepare(CliContext& context, CliSession::Use use) {
    Prepared prepared;
    auto list = context.line.takeOption("--modules");
    if (!list) {
        context.fail(list.message());
        prepared.exitCode = exitcode::usage;
        return prepared;
    }
    auto modules = CliScanner::parseModules(list.value());
    if (!modules) {
        context.fail(modules.message());
        prepared.exitCode = exitcode::usage;
        return prepared;
    }
    prepared.modules = modules.value();
    if (!context.line.arguments.empty()) {
        context.fail("unexpected argument " + context.line.arguments.front());
        prepared.exitCode = exitcode::usage;
        return prepared;
    }
    prepared.session =
        use == CliSession::Use::change ? context.openChangingSession() : context.openSession();
    if (!prepared.session) {
        prepared.exitCode = exitcode::failure;
    }
    return prepared;
}

} // namespace

int ScanCommands::scan(CliContext& context) {
    const bool json = context.line.takeFlag("--json");
#ifndef _WIN32
    if (context.line.takeFlag("--all-prefixes")) {
        if (context.line.prefix || context.line.windows) {
            context.fail(context.line.windows ? "--all-prefixes and --windows exclude each other"
                                              : "--all-prefixes and --prefix exclude each other");
            return exitcode::usage;
        }
        auto list = context.line.takeOption("--modules");
        auto modules = list ? CliScanner::parseModules(list.value())
                            : Result<CliScanner::Selection>(list.error());
        if (!modules) {
            context.fail(modules.message());
            return exitcode::usage;
        }
        if (!context.line.arguments.empty()) {
            context.fail("unexpected argument " + context.line.arguments.front());
            return exitcode::usage;
        }
        return PrefixCommands::scanAll(context, modules.value(), json);
    }
#endif
    Prepared prepared = prepare(context, CliSession::Use::read);
    if (!prepared.session) {
        return prepared.exitCode;
    }
    CliScanner scanner(context, *prepared.session);
    if (auto ready = scanner.prepareScreen(); !ready) {
        context.fail(ready.message());
        return exitcode::failure;
    }
    const ProblemList& problems = scanner.scan(prepared.modules);
    const std::size_t ignored = scanner.modules().ignoredCount();
    if (json) {
        printJson(context.out, problems, ignored);
    } else {
        printTable(context.out, problems, ignored);
    }
    return exitcode::ok;
}

int ScanCommands::fix(CliContext& context) {
    const bool noBackup = context.line.takeFlag("--no-backup");
    const bool backup = context.line.takeFlag("--backup");
    if (backup && noBackup) {
        context.fail("--backup and --no-backup exclude each other");
        return exitcode::usage;
    }
    Prepared prepared = prepare(context, CliSession::Use::change);
    if (!prepared.session) {
        return prepared.exitCode;
    }
    CliSession& session = *prepared.session;
    if (auto writable = session.platform().storage.ensureWritable(); !writable) {
        context.fail(writable.message());
        return exitcode::failure;
    }
    CliScanner scanner(context, session);
    if (auto ready = scanner.prepareScreen(); !ready) {
        context.fail(ready.message());
        return exitcode::failure;
    }
    ProblemList& problems = scanner.scan(prepared.modules);
    if (problems.empty()) {
        context.out << "No problems found; nothing to fix.\n";
        return exitcode::ok;
    }
    for (auto& record : problems) {
        record.selected = 1;
    }
    std::atomic<int> busy{0};
    FixRun run(scanner.modules(), session.platform(), busy);
    // Without --no-backup a fix never runs unprotected because its backup folder is missing.
    bool noFolder = false;
    run.setWithoutBackupQuestion([noBackup, &noFolder](const std::string&) {
        noFolder = true;
        return noBackup;
    });
    std::promise<FixOutcome> finished;
    const auto started = run.start(
        problems.records(), nullptr, {},
        [backup = !noBackup] { return backup ? BackupChoice::backup : BackupChoice::noBackup; },
        [&finished](const FixOutcome& outcome) { finished.set_value(outcome); });
    if (started != FixRun::Start::started) {
        const std::string hint =
            noFolder ? "; run \"fix --no-backup\" to fix without a backup" : std::string();
        context.fail(run.failure().empty() ? "the fix could not start" : run.failure() + hint);
        return exitcode::failure;
    }
    const FixOutcome outcome = finished.get_future().get();
    run.wait();
    if (!outcome.error.empty()) {
        context.fail(outcome.error);
        return exitcode::failure;
    }
    context.out << "Fixed:\n";
    for (const auto& record : problems) {
        if (record.entryKind == entrykind::fixed) {
            printRecord(context.out, record);
        }
    }
    if (outcome.keptForBackup > 0) {
        context.out << "Not fixed, because their backup could not be written:\n";
        for (const auto& record : problems) {
            if (record.entryKind != entrykind::fixed) {
                printRecord(context.out, record);
            }
        }
    }
    context.out << outcome.fixed << " of " << problems.count() << " problems fixed.\n";
    if (outcome.backupKept) {
        context.out << "Backup: " << outcome.backupFolder << "\n";
    } else {
        context.out << "No backup was made.\n";
    }
    if (outcome.keptForBackup > 0) {
        context.err << "tolvane-cli: " << outcome.keptForBackup
                    << " entries were kept because their backup could not be written\n";
        return keptForBackupExit;
    }
    return exitcode::ok;
}

} // namespace tolvane
