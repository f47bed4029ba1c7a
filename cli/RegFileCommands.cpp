#include "cli/RegFileCommands.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "platform/BuiltinRegistryEditor.h"
#include "platform/prefix/PrefixStorage.h"
#include "platform/prefix/WineRegistry.h"

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

std::unique_ptr<prefix::WineRegistry> openRegistry(CliContext& context) {
    auto registry = prefix::WineRegistry::openPrefix(context.prefixPath());
    if (!registry) {
        context.fail(registry.message());
        return nullptr;
    }
    return std::move(registry.value());
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
    auto registry = openRegistry(context);
    if (!registry) {
        return exitcode::failure;
    }
    BuiltinRegistryEditor editor(*registry);
    return finish(context, editor.exportKey(file, key), "exported " + key + " to " + file);
}

int RegFileCommands::exportAll(CliContext& context) {
    if (!takesArguments(context, 1, "export-all FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto registry = openRegistry(context);
    if (!registry) {
        return exitcode::failure;
    }
    BuiltinRegistryEditor editor(*registry);
    return finish(context, editor.exportRegistry(file), "exported the registry to " + file);
}

int RegFileCommands::importFile(CliContext& context) {
    if (!takesArguments(context, 1, "import FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto registry = openRegistry(context);
    if (!registry) {
        return exitcode::failure;
    }
    prefix::PrefixStorage storage(*registry, context.prefixPath(),
                                  prefix::WineServerProbe::forPrefix(context.prefixPath()));
    if (auto writable = storage.ensureWritable(); !writable) {
        context.fail(writable.message());
        return exitcode::failure;
    }
    BuiltinRegistryEditor editor(*registry);
    // A file that went in only in part leaves the prefix's files as they were.
    if (auto imported = editor.importRegFile(file); !imported) {
        context.fail(imported.message() + "; the prefix was not changed");
        return exitcode::failure;
    }
    return finish(context, storage.save(), "imported " + file);
}

} // namespace tolvane
