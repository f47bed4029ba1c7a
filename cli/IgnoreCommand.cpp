#include "cli/IgnoreCommand.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/CliScanner.h"
#include "cli/CliSession.h"
#include "cli/JsonText.h"
#include "engine/IgnoreList.h"
#include "engine/ModuleTable.h"

#include <ostream>
#include <string>

namespace tolvane {

namespace {

constexpr std::string_view usage =
    "usage: tolvane-cli ignore add --module N KEY [VALUE] [--all-prefixes]\n"
    "       tolvane-cli ignore list [--json]\n"
    "       tolvane-cli ignore remove ID | KEY\n"
    "\n"
    "Scans leave the entries of the ignore list out and fixes never touch them.\n"
    "  add      KEY and VALUE are the primary and secondary names of the problem, as\n"
    "           `scan --json` shows them (primaryName, secondaryName); N its moduleId.\n"
    "           The entry holds for this registry only, or with --all-prefixes for all.\n"
    "  list     every entry with its ID, module, names and where it holds\n"
    "  remove   the entry with that ID, or the one entry naming KEY\n";

int usageError(CliContext& context, std::string_view message) {
    context.fail(message);
    context.err << usage;
    return exitcode::usage;
}

std::string placeText(const IgnoreEntry& entry, std::string_view here) {
    if (entry.place.empty()) {
        return "all prefixes";
    }
    return entry.place == here ? "this prefix (" + entry.place + ")" : entry.place;
}

bool isNumber(std::string_view text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
}

int add(CliContext& context, CliSession& session, IgnoreList& list, const std::string& here) {
    const bool everywhere = context.line.takeFlag("--all-prefixes");
    auto module = context.line.takeOption("--module");
    if (!module) {
        return usageError(context, module.message());
    }
    if (!module.value()) {
        return usageError(context, "ignore add needs --module N");
    }
    const std::string& number = *module.value();
    const int moduleId = isNumber(number) ? std::stoi(number) : -1;
    if (!isModuleId(moduleId)) {
        return usageError(context,
                          "--module takes a module number from 0 to 12, not \"" + number + "\"");
    }
    auto& names = context.line.arguments;
    if (names.empty() || names.size() > 2) {
        return usageError(context, "ignore add takes KEY and at most one VALUE");
    }
    IgnoreEntry entry{moduleId, names[0], names.size() > 1 ? names[1] : std::string(),
                      everywhere ? std::string() : here};
    if (!list.add(entry)) {
        context.out << "Already ignored.\n";
        return exitcode::ok;
    }
    if (!list.store(session.settings())) {
        context.fail("the ignore list could not be written to the settings");
        return exitcode::failure;
    }
    context.out << "Ignored as entry " << list.entries().size() << " (" << placeText(entry, here)
                << ").\n";
    return exitcode::ok;
}

int listEntries(CliContext& context, const IgnoreList& list, const std::string& here) {
    const bool json = context.line.takeFlag("--json");
    if (!context.line.arguments.empty()) {
        return usageError(context,
                          "ignore list takes no argument " + context.line.arguments.front());
    }
    const auto& entries = list.entries();
    if (json) {
        context.out << "{\"count\": " << entries.size() << ", \"entries\": [";
        const char* separator = "\n";
        for (std::size_t index = 0; index < entries.size(); ++index) {
            const IgnoreEntry& entry = entries[index];
            context.out << separator << "  {\"id\": " << index + 1
                        << ", \"moduleId\": " << entry.moduleId
                        << ", \"primaryName\": " << jsonString(entry.primaryName)
                        << ", \"secondaryName\": " << jsonString(entry.secondaryName)
                        << ", \"allPrefixes\": " << (entry.place.empty() ? "true" : "false")
                        << ", \"place\": " << jsonString(entry.place) << "}";
            separator = ",\n";
        }
        context.out << (entries.empty() ? "" : "\n") << "]}\n";
        return exitcode::ok;
    }
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const IgnoreEntry& entry = entries[index];
        context.out << index + 1 << "  [" << moduleDisplayName(entry.moduleId) << "] "
                    << entry.primaryName;
        if (!entry.secondaryName.empty()) {
            context.out << "  " << entry.secondaryName;
        }
        context.out << "\n    " << placeText(entry, here) << "\n";
    }
    context.out << entries.size() << (entries.size() == 1 ? " entry" : " entries") << " ignored.\n";
    return exitcode::ok;
}

int remove(CliContext& context, CliSession& session, IgnoreList& list) {
    auto& words = context.line.arguments;
    if (words.size() != 1) {
        return usageError(context, "ignore remove takes one ID or KEY");
    }
    const std::string& word = words[0];
    std::size_t index = 0;
    if (isNumber(word)) {
        index = static_cast<std::size_t>(std::stoul(word));
        if (index == 0 || index > list.entries().size()) {
            context.fail("no ignored entry " + word + " (see tolvane-cli ignore list)");
            return exitcode::failure;
        }
        --index;
    } else {
        const auto found = list.find(word);
        if (found.empty()) {
            context.fail("no ignored entry names " + word);
            return exitcode::failure;
        }
        if (found.size() > 1) {
            context.fail(std::to_string(found.size()) + " ignored entries name " + word +
                         "; remove one by its ID (see tolvane-cli ignore list)");
            return exitcode::failure;
        }
        index = found.front();
    }
    list.removeAt(index);
    if (!list.store(session.settings())) {
        context.fail("the ignore list could not be written to the settings");
        return exitcode::failure;
    }
    context.out << "Entry " << index + 1 << " removed; later entries moved up by one.\n";
    return exitcode::ok;
}

} // namespace

int IgnoreCommand::run(CliContext& context) {
    auto& words = context.line.arguments;
    if (words.empty()) {
        return usageError(context, "ignore needs add, list or remove");
    }
    if (context.line.takeFlag("--help") || words.front() == "help") {
        context.out << usage;
        return exitcode::ok;
    }
    const std::string action = words.front();
    if (action != "add" && action != "list" && action != "remove") {
        return usageError(context, "unknown ignore action " + action);
    }
    words.erase(words.begin());
    std::unique_ptr<CliSession> session = context.openSession();
    if (!session) {
        return exitcode::failure;
    }
    auto list = IgnoreList::load(session->settings());
    if (!list) {
        context.fail(list.message());
        return exitcode::failure;
    }
    const std::string here = CliScanner(context, *session).place();
    if (action == "add") {
        return add(context, *session, list.value(), here);
    }
    if (action == "list") {
        return listEntries(context, list.value(), here);
    }
    return remove(context, *session, list.value());
}

} // namespace tolvane
