#include "cli/PrefixCommands.h"

#include "cli/CliApp.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/JsonText.h"
#include "engine/ModuleTable.h"
#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"
#include "platform/discovery/PrefixDiscovery.h"
#include "platform/discovery/PrefixLookup.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <ostream>

namespace tolvane {
namespace {

using discovery::DiscoveredPrefix;

discovery::DiscoveryReport discover(const CliContext& context) {
    return discovery::PrefixDiscovery::standard(*context.environment)
        .discover(*context.environment);
}

std::string timeText(const std::optional<std::filesystem::file_time_type>& time) {
    if (!time) {
        return "-";
    }
    const auto system = std::chrono::file_clock::to_sys(*time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 32> text{};
    const auto length = std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M", &local);
    return std::string(text.data(), length);
}

std::string sizeText(std::uintmax_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + " B";
    }
    if (bytes < 1024 * 1024) {
        return std::to_string((bytes + 512) / 1024) + " KiB";
    }
    const auto tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MiB";
}

// The shell command that stops the prefix's wineserver, quoted for sh.
std::string stopCommand(const std::filesystem::path& prefix) {
    std::string quoted = "'";
    for (const char c : textFromPath(prefix)) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return "WINEPREFIX=" + quoted + "' wineserver -k";
}

std::vector<std::string> notesOf(const DiscoveredPrefix& prefix) {
    std::vector<std::string> notes = prefix.notes;
    if (prefix.running()) {
        notes.insert(notes.begin(), "in use; stop it with: " + stopCommand(prefix.path));
    }
    return notes;
}

void printTable(std::ostream& out, const discovery::DiscoveryReport& report) {
    std::vector<std::array<std::string, 7>> rows;
    rows.push_back({"LAUNCHER", "NAME", "PATH", "LAST USED", "REGISTRY", "RUNNING", "ACCESS"});
    for (const auto& prefix : report.prefixes) {
        rows.push_back({prefix.launcher, prefix.name, textFromPath(prefix.path),
                        timeText(prefix.lastUsed), sizeText(prefix.registryBytes),
                        prefix.running() ? "yes" : "no",
                        prefix.writable ? "writable" : "read-only"});
    }
    std::array<std::size_t, 7> widths{};
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string line;
        for (std::size_t i = 0; i < rows[r].size(); ++i) {
            line += rows[r][i];
            if (i + 1 < rows[r].size()) {
                line += std::string(widths[i] - rows[r][i].size() + 2, ' ');
            }
        }
        out << line << "\n";
        if (r > 0) {
            for (const auto& note : notesOf(report.prefixes[r - 1])) {
                out << "    note: " << note << "\n";
            }
        }
    }
    out << report.prefixes.size() << (report.prefixes.size() == 1 ? " prefix" : " prefixes")
        << " found.\n";
    for (const auto& skipped : report.skipped) {
        out << "not listed (" << skipped.launcher << "): " << skipped.reason << "\n";
    }
}

void printJson(std::ostream& out, const discovery::DiscoveryReport& report) {
    out << "{\"count\": " << report.prefixes.size() << ", \"prefixes\": [";
    const char* separator = "\n";
    for (const auto& prefix : report.prefixes) {
        out << separator << "  {\"launcher\": " << jsonString(prefix.launcher)
            << ", \"name\": " << jsonString(prefix.name)
            << ", \"path\": " << jsonString(textFromPath(prefix.path)) << ", \"lastUsed\": ";
        if (prefix.lastUsed) {
            out << std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::file_clock::to_sys(*prefix.lastUsed).time_since_epoch())
                       .count();
        } else {
            out << "null";
        }
        out << ", \"registryBytes\": " << prefix.registryBytes
            << ", \"running\": " << (prefix.running() ? "true" : "false")
            << ", \"writable\": " << (prefix.writable ? "true" : "false") << ", \"notes\": [";
        const char* noteSeparator = "";
        for (const auto& note : notesOf(prefix)) {
            out << noteSeparator << jsonString(note);
            noteSeparator = ", ";
        }
        out << "]}";
        separator = ",\n";
    }
    out << (report.prefixes.empty() ? "" : "\n") << "], \"errors\": [";
    separator = "";
    for (const auto& error : report.errors) {
        out << separator << "{\"launcher\": " << jsonString(error.launcher)
            << ", \"reason\": " << jsonString(error.reason) << "}";
        separator = ", ";
    }
    out << "], \"skipped\": [";
    separator = "";
    for (const auto& skipped : report.skipped) {
        out << separator << "{\"launcher\": " << jsonString(skipped.launcher)
            << ", \"reason\": " << jsonString(skipped.reason) << "}";
        separator = ", ";
    }
    out << "]}\n";
}

void reportSourceErrors(const CliContext& context, const discovery::DiscoveryReport& report) {
    for (const auto& error : report.errors) {
        context.fail(error.launcher + ": " + error.reason);
    }
}

} // namespace

int PrefixCommands::list(CliContext& context) {
    const bool json = context.line.takeFlag("--json");
    if (!context.line.arguments.empty()) {
        context.fail("unexpected argument " + context.line.arguments.front());
        return exitcode::usage;
    }
    const auto report = discover(context);
    if (json) {
        printJson(context.out, report);
    } else {
        printTable(context.out, report);
        reportSourceErrors(context, report);
    }
    return exitcode::ok;
}

int PrefixCommands::scanAll(CliContext& context, const CliScanner::Selection& modules, bool json) {
    const auto report = discover(context);
    reportSourceErrors(context, report);
    int failed = 0;
    if (json) {
        context.out << "{\"count\": " << report.prefixes.size() << ", \"prefixes\": [";
    }
    const char* separator = "\n";
    for (const auto& prefix : report.prefixes) {
        context.line.prefix = prefix.path;
        auto session = CliSession::open(context, CliSession::Use::read);
        std::array<std::size_t, moduleCount> perArea{};
        std::size_t total = 0;
        if (session) {
            CliScanner scanner(context, *session.value());
            for (const auto& record : scanner.scan(modules)) {
                if (isModuleId(record.moduleId)) {
                    ++perArea[static_cast<std::size_t>(record.moduleId)];
                }
                ++total;
            }
        } else {
            ++failed;
        }
        if (json) {
            context.out << separator << "  {\"launcher\": " << jsonString(prefix.launcher)
                        << ", \"name\": " << jsonString(prefix.name)
                        << ", \"path\": " << jsonString(textFromPath(prefix.path));
            if (!session) {
                context.out << ", \"error\": " << jsonString(session.message()) << "}";
            } else {
                context.out << ", \"count\": " << total << ", \"areas\": {";
                const char* areaSeparator = "";
                for (std::size_t id = 0; id < perArea.size(); ++id) {
                    if (modules[id]) {
                        context.out << areaSeparator << jsonString(moduleTable[id].displayName)
                                    << ": " << perArea[id];
                        areaSeparator = ", ";
                    }
                }
                context.out << "}}";
            }
            separator = ",\n";
            continue;
        }
        context.out << prefix.launcher << " \"" << prefix.name << "\" " << textFromPath(prefix.path)
                    << "\n";
        if (!session) {
            context.out << "    not scanned: " << session.message() << "\n";
            continue;
        }
        for (std::size_t id = 0; id < perArea.size(); ++id) {
            if (perArea[id] > 0) {
                context.out << "    " << moduleTable[id].displayName << ": " << perArea[id] << "\n";
            }
        }
        context.out << "    " << total << (total == 1 ? " problem" : " problems") << " found.\n";
    }
    if (json) {
        context.out << (report.prefixes.empty() ? "" : "\n") << "]}\n";
    } else {
        context.out << report.prefixes.size() - static_cast<std::size_t>(failed) << " of "
                    << report.prefixes.size() << " prefixes scanned.\n";
    }
    return failed > 0 ? exitcode::failure : exitcode::ok;
}

Result<std::filesystem::path> PrefixCommands::resolve(const CliContext& context,
                                                      std::string_view text) {
    // A folder is taken as it is, without reading every launcher's files.
    if (text.find('/') != std::string_view::npos || discovery::isFolder(pathFromText(text))) {
        return pathFromText(text);
    }
    const auto report = discover(context);
    return discovery::PrefixLookup::resolve(text, report.prefixes);
}

} // namespace tolvane
