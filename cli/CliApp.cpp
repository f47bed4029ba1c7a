#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
#ifndef _WIN32
#include "cli/StatCommand.h"
#endif

#include <array>
#include <ostream>
#include <string_view>

namespace tolvane {

namespace {

#ifdef _WIN32
constexpr const char* usageText = "usage: tolvane-cli COMMAND [ARGS]\n"
                                  "\n"
                                  "commands:\n"
                                  "  help                               this text\n"
                                  "\n"
                                  "The registry cleaned is the live registry of this computer.\n";
#else
constexpr const char* usageText =
    "usage: tolvane-cli [--prefix DIR] COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  stat [--json]                      count the keys and values of each registry file\n"
    "\n"
    "The registry cleaned is the Wine prefix DIR, else $WINEPREFIX, else ~/.wine.\n";
#endif

struct Command {
    std::string_view name;
    int (*run)(CliContext&);
};

int help(CliContext& context) {
    context.out << usageText;
    return exitcode::ok;
}

constexpr std::array commands{
    Command{"help", &help},
#ifndef _WIN32
    // Reads the registry files of a Wine prefix, which Windows does not have.
    Command{"stat", &StatCommand::run},
#endif
};

} // namespace

int runCli(std::span<const std::string> words, std::ostream& out, std::ostream& err) {
    auto line = parseCommandLine(words);
    if (!line) {
        err << "tolvane-cli: " << line.message() << "\n" << usageText;
        return exitcode::usage;
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
