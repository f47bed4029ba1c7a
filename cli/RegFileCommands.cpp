#include "cli/RegFileCommands.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "platform/PathText.h"

#include <ostream>

namespace tolvane {

namespace {

// Checks the number of arguments; false (after a usage message) when it is wrong.
bool takesArguments(CliContext& context, std::size_t count, std::string_view usage) {
    if (context.line.arguments.size() == count) {
        return true;
    }
    context.fail("usage: tolvane-cli [--prefix DIR] " + std::string(usage));
    return false;
}

int finish(CliContext& context, const Result<void>& result, std::string_view done) {
    if (!result) {
        context.fail(result.message());
        return exitcode::failure;
    }
    context.out << done << "\n";
    return exitcode::ok;
}

} // namespace

int RegFileCommands::exportKey(CliContext& context) {
    if (!takesArguments(context, 2, "export FILE KEY")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    const auto& key = context.line.arguments[1];
    auto registry = CommandRegistry::open(context);
    if (!registry) {
        return exitcode::failure;
    }
    return finish(context, registry->editor().exportKey(pathFromText(file), key),
                  "exported " + key + " to " + file);
}

int RegFileCommands::exportAll(CliContext& context) {
    if (!takesArguments(context, 1, "export-all FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto registry = CommandRegistry::open(context);
    if (!registry) {
        return exitcode::failure;
    }
    return finish(context, registry->editor().exportRegistry(pathFromText(file)),
                  "exported the registry to " + file);
}

int RegFileCommands::importFile(CliContext& context) {
    if (!takesArguments(context, 1, "import FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto registry = CommandRegistry::open(context);
    if (!registry) {
        return exitcode::failure;
    }
    if (auto writable = registry->storage().ensureWritable(); !writable) {
        context.fail(writable.message());
        return exitcode::failure;
    }
    if (auto imported = registry->editor().importRegFile(pathFromText(file)); !imported) {
        context.fail(imported.message() + registry->afterFailedImport());
        return exitcode::failure;
    }
    return finish(context, registry->storage().save(), "imported " + file);
}

} // namespace tolvane
