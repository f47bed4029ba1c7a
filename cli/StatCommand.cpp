#include "cli/StatCommand.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "platform/prefix/PrefixStatistics.h"
#include "platform/prefix/WineRegistry.h"

#include <iomanip>
#include <ostream>

namespace tolvane {

int StatCommand::run(CliContext& context) {
    const bool json = context.line.takeFlag("--json");
    if (!context.line.arguments.empty()) {
        context.fail("stat takes no argument " + context.line.arguments.front());
        return exitcode::usage;
    }
    auto registry = prefix::WineRegistry::openPrefix(context.prefixPath());
    if (!registry) {
        context.fail(registry.message());
        return exitcode::failure;
    }
    const auto counts = prefix::countBranches(**registry);
    if (json) {
        context.out << "{";
        const char* separator = "";
        for (const auto& branch : counts) {
            context.out << separator << "\"" << branch.file << "\": {\"keys\": " << branch.keys
                        << ", \"values\": " << branch.values << "}";
            separator = ", ";
        }
        context.out << "}\n";
        return exitcode::ok;
    }
    context.out << "Wine prefix " << context.prefixPath().string() << "\n";
    for (const auto& branch : counts) {
        context.out << "  " << std::left << std::setw(12) << branch.file << std::right
                    << std::setw(10) << branch.keys << " keys " << std::setw(10) << branch.values
                    << " values\n";
    }
    return exitcode::ok;
}

} // namespace tolvane
