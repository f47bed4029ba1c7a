#include "cli/RegFileCommands.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "platform/Platform.h"
#include "platform/RegistryEditor.h"
#include "platform/RegistryStorage.h"
#include "platform/base/PathText.h"

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

} // namespace

int RegFileCommands::exportKey(CliContext& context) {
    if (!takesArguments(context, 2, "export FILE KEY")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    const auto& key = context.line.arguments[1];
    auto session = context.openSession();
    if (!session) {
        return exitcode::failure;
    }
    return context.report(session->platform().editor.exportKey(pathFromText(file), key),
                          "exported " + key + " to " + file);
}

int RegFileCommands::exportAll(CliContext& context) {
    if (!takesArguments(context, 1, "export-all FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto session = context.openSession();
    if (!session) {
        return exitcode::failure;
    }
    return context.report(session->platform().editor.exportRegistry(pathFromText(file)),
                          "exported the registry to " + file);
}

int RegFileCommands::importFile(CliContext& context) {
    if (!takesArguments(context, 1, "import FILE")) {
        return exitcode::usage;
    }
    const auto& file = context.line.arguments[0];
    auto session = context.openChangingSession();
    if (!session) {
        return exitcode::failure;
    }
    auto& platform = session->platform();
    if (auto writable = platform.storage.ensureWritable(); !writable) {
        context.fail(writable.message());
        return exitcode::failure;
    }
    if (auto imported = platform.editor.importRegFile(pathFromText(file)); !imported) {
#ifdef _WIN32
        // The live registry keeps each change as it is made; the editor's error says whether
        // the file was refused as a whole or which of its changes failed.
        context.fail(imported.message());
#else
        // A file that went in only in part is not stored: the registry's files stay as they were.
        context.fail(imported.message() + "; nothing was changed");
#endif
        return exitcode::failure;
    }
    return context.report(platform.storage.save(), "imported " + file);
}

} // namespace tolvane
