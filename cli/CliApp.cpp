#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
#include "cli/MaintenanceCommands.h"
#include "cli/RegFileCommands.h"
#include "cli/ScanCommands.h"
#include "cli/StatCommand.h"

#include <array>
#include <ostream>
#include <string_view>

namespace tolvane {

namespace {

constexpr const char* usageText =
    "usage: tolvane-cli [--prefix DIR] COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  scan [--modules 0,5,12] [--json]   list the problems the chosen modules find\n"
    "  fix [--modules ...] [--backup | --no-backup]\n"
    "                                     scan, then fix every problem found (backup: yes)\n"
    "  backup list | create | restore NAME | delete NAME\n"
    "                                     whole-registry backups in ./Backup\n"
    "  defrag                             flush the registry hives to disk\n"
    "  stat [--json]                      count the keys and values of each registry file\n"
    "  export FILE KEY                    write KEY and its sub-keys to FILE (REGEDIT4)\n"
    "  export-all FILE                    write the whole registry to FILE (version 5.00)\n"
    "  import FILE                        import a .reg file of either format\n"
    "\n"
    "\n"
    "Modules: 0 ActiveX, OLE, COM; 1 User Software Settings; 2 Sys Software Settings;\n"
    "3 Shared Dlls Section; 4 System Drivers; 5 File Extensions; 6 Application Paths;\n"
    "7 Fonts Section; 8 Invalid File Associations; 9 Startup Section; 10 Sound And App\n"
    "Events; 11 Uninstall Secion; 12 Help Section.\n"
    "\n"
    "The registry cleaned is the Wine prefix DIR, else $WINEPREFIX, else ~/.wine.\n"
    "Exit codes: 0 done, 1 failed (nothing changed), 2 usage error, 3 fixed but some\n"
    "entries kept because their backup could not be written.\n";

struct Command {
    std::string_view name;
    int (*run)(CliContext&);
};

constexpr std::array commands{
    Command{"scan", &ScanCommands::scan},
    Command{"fix", &ScanCommands::fix},
    Command{"backup", &MaintenanceCommands::backup},
    Command{"defrag", &MaintenanceCommands::defrag},
    Command{"stat", &StatCommand::run},
    Command{"export", &RegFileCommands::exportKey},
    Command{"export-all", &RegFileCommands::exportAll},
    Command{"import", &RegFileCommands::importFile},
};

} // namespace

int runCli(std::span<const std::string> words, std::ostream& out, std::ostream& err) {
    auto line = parseCommandLine(words);
    if (!line) {
        err << "tolvane-cli: " << line.message() << "\n" << usageText;
        return exitcode::usage;
    }
    if (line->command == "help") {
        out << usageText;
        return exitcode::ok;
    }
    for (const auto& command : commands) {
        if (command.name == line->command) {
            CliContext context{*line, out, err};
            return command.run(context);
        }
    }
    err << "tolvane-cli: unknown command " << line->command << "\n" << usageText;
    return exitcode::usage;
}

} // namespace tolvane
