#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
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
    "  stat [--json]                      count the keys and values of each registry file\n"
    "\n"
    "The registry cleaned is the Wine prefix DIR, else $WINEPREFIX, else ~/.wine.\n";

struct Command {
    std::string_view name;
    int (*run)(CliContext&);
};

constexpr std::array commands{
    Command{"stat", &StatCommand::run},
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
