#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
#include "cli/RegFileCommands.h"
#ifndef _WIN32
#include "cli/StatCommand.h"
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
constexpr std::string_view synopsis = "usage: tolvane-cli [--prefix DIR] COMMAND [ARGS]\n";
constexpr std::string_view prefixCommands =
    "  stat [--json]                      count the keys and values of each registry file\n";
constexpr std::string_view registryNote =
    "The registry cleaned is the Wine prefix DIR, else $WINEPREFIX, else ~/.wine.\n";
#endif

std::string usageText() {
    return std::string(synopsis) + "\ncommands:\n" + std::string(prefixCommands) +
           "  export FILE KEY                    write KEY and its sub-keys to FILE (REGEDIT4)\n"
           "  export-all FILE                    write the whole registry to FILE (version 5.00)\n"
           "  import FILE                        import a .reg file of either format\n"
           "\n" +
           std::string(registryNote);
}

struct Command {
    std::string_view name;
    int (*run)(CliContext&);
};

constexpr std::array commands{
#ifndef _WIN32
    Command{"stat", &StatCommand::run},
#endif
    Command{"export", &RegFileCommands::exportKey},
    Command{"export-all", &RegFileCommands::exportAll},
    Command{"import", &RegFileCommands::importFile},
};

} // namespace

int runCli(std::span<const std::string> words, std::ostream& out, std::ostream& err) {
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
            CliContext context{*line, out, err};
            return command.run(context);
        }
    }
    err << "tolvane-cli: unknown command " << line->command << "\n" << usageText();
    return exitcode::usage;
}

} // namespace tolvane
