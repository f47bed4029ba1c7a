#include "cli/RegFileCommands.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "platform/Platform.h"
#include "platform/RegistryEditor.h"
#include "platform/RegistryStorage.h"

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

std::unique_ptr<CliSession> openSession(CliContext& context) {
    auto session = CliSession::open(context);
    if (!session) {
        context.fail(session.message());
        return nullptr;
    }
    return std::move(session.value());
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
    auto session = openSession(context);
    if (!session) {
        return exitcode::failure;
    }
    return finish(context, session->platform().editor.exportKey(file, key),
                  "exported " + key + " to " + file);
}

int RegFileCommands::exportAll(CliContext& context) {
    if (!takesArguments(context, 1, "export-all FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto session = openSession(context);
    if (!session) {
        return exitcode::failure;
    }
    return finish(context, session->platform().editor.exportRegistry(file),
                  "exported the registry to " + file);
}

int RegFileCommands::importFile(CliContext& context) {
    if (!takesArguments(context, 1, "import FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto session = openSession(context);
    if (!session) {
        return exitcode::failure;
    }
    auto& platform = session->platform();
    if (auto writable = platform.storage.ensureWritable(); !writable) {
        context.fail(writable.message());
        return exitcode::failure;
    }
    // A file that went in only in part is not stored: the registry's files stay as they were.
    if (auto imported = platform.editor.importRegFile(file); !imported) {
        context.fail(imported.message() + "; nothing was changed");
        return exitcode::failure;
    }
    return finish(context, platform.storage.save(), "imported " + file);
}

} // namespace tolvane
