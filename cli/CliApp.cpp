#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
#include "cli/IgnoreCommand.h"
#include "cli/MaintenanceCommands.h"
#include "cli/RegFileCommands.h"
#include "cli/ScanCommands.h"
#ifndef _WIN32
#include "cli/PrefixCommands.h"
#include "cli/StatCommand.h"
#include "platform/discovery/ProcessEnvironment.h"
#endif

#include <array>
#include <ostream>
#include <string>
#include <string_view>

namespace tolvane {

namespace {

// Windows has its live registry instead of Wine prefixes.
#ifdef _WIN32
constexpr std::string_view synopsis = "usage: tolvane-cli COMMAND [ARGS]\n";
constexpr std::string_view prefixCommands = "";
constexpr std::string_view registryNote =
    "The registry cleaned is the live registry of this computer.\n";
#else
constexpr std::string_view synopsis =
    "usage: tolvane-cli [--prefix DIR|NAME | --windows MOUNT [--user NAME]] COMMAND [ARGS]\n";
constexpr std::string_view prefixCommands =
    "  stat [--json]                      count the keys and values of each registry file\n"
    "  prefixes [--json]                  list the Wine prefixes that launchers record\n"
    "  scan --all-prefixes [--json]       scan each of them and count the problems per area\n";
constexpr std::string_view registryNote =
    "The registry cleaned is the Wine prefix DIR (or the one `prefixes` lists as NAME), else\n"
    "$WINEPREFIX, else ~/.wine. With --windows it is the offline Windows installation mounted\n"
    "at MOUNT (its hives in Windows/System32/config, the user's NTUSER.DAT and UsrClass.dat);\n"
    "--user chooses the user when it has several.\n";
#endif

std::string usageText() {
    return std::string(synopsis) +
           "\n"
           "commands:\n"
           "  scan [--modules 0,5,12] [--json]   list the problems the chosen modules find\n"
           "  fix [--modules ...] [--backup | --no-backup]\n"
           "                                     scan, then fix every problem found (backup: yes)\n"
           "  backup list | create | restore NAME [--force-other-prefix] | delete NAME\n"
           "                                     whole-registry backups of this registry\n"
           "  backup import-legacy DIR           copy the backups of an old Backup folder here\n"
           "  defrag                             flush the registry hives to disk\n"
           "  ignore add --module N KEY [VALUE] [--all-prefixes] | list [--json] | remove ID|KEY\n"
           "                                     problems that scans leave out and fixes never "
           "touch\n" +
           std::string(prefixCommands) +
           "  export FILE KEY                    write KEY and its sub-keys to FILE (REGEDIT4)\n"
           "  export-all FILE                    write the whole registry to FILE (version 5.00)\n"
           "  import FILE                        import a .reg file of either format\n"
           "\n"
           "\n"
           "Modules: 0 ActiveX, OLE, COM; 1 User Software Settings; 2 Sys Software Settings;\n"
           "3 Shared Dlls Section; 4 System Drivers; 5 File Extensions; 6 Application Paths;\n"
           "7 Fonts Section; 8 Invalid File Associations; 9 Startup Section; 10 Sound And App\n"
           "Events; 11 Uninstall Secion; 12 Help Section.\n"
           "\n" +
           std::string(registryNote) +
           "Commands that change the registry (fix, import, backup restore, defrag) wait while\n"
           "another Tolvane process works on the same registry; with --no-wait they fail instead.\n"
           "Exit codes: 0 done, 1 failed (nothing changed), 2 usage error, 3 fixed but some\n"
           "entries kept because their backup could not be written.\n";
}

struct Command {
    std::string_view name;
    int (*run)(CliContext&);
};

constexpr std::array commands{
    Command{"scan", &ScanCommands::scan},
    Command{"fix", &ScanCommands::fix},
    Command{"backup", &MaintenanceCommands::backup},
    Command{"defrag", &MaintenanceCommands::defrag},
    Command{"ignore", &IgnoreCommand::run},
#ifndef _WIN32
    Command{"stat", &StatCommand::run},
    Command{"prefixes", &PrefixCommands::list},
#endif
    Command{"export", &RegFileCommands::exportKey},
    Command{"export-all", &RegFileCommands::exportAll},
    Command{"import", &RegFileCommands::importFile},
};

} // namespace

int runCli(std::span<const std::string> words, std::ostream& out, std::ostream& err,
           const discovery::HostEnvironment* environment) {
#ifndef _WIN32
    const discovery::ProcessEnvironment processEnvironment;
    if (environment == nullptr) {
        environment = &processEnvironment;
    }
#endif
    auto line = parseCommandLine(words);
    if (!line) {
        err << "tolvane-cli: " << line.message() << "\n" << usageText();
        return exitcode::usage;
    }
    if (line->command == "help") {
        out << usageText();
        return exitcode::ok;
    }
    for (const auto& command : commands) {
        if (command.name == line->command) {
            CliContext context{*line, out, err, environment};
#ifndef _WIN32
            if (line->windows && (command.name == "stat" || command.name == "prefixes")) {
                context.fail(std::string(command.name) +
                             " works on Wine prefixes, not with --windows");
                return exitcode::usage;
            }
            if (line->prefix) {
                auto folder = PrefixCommands::resolve(context, line->prefix->string());
                if (!folder) {
                    context.fail(folder.message());
                    return exitcode::usage;
                }
                line->prefix = std::move(folder.value());
            }
#endif
            return command.run(context);
        }
    }
    err << "tolvane-cli: unknown command " << line->command << "\n" << usageText();
    return exitcode::usage;
}

} // namespace tolvane
