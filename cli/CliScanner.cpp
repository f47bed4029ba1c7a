#include "cli/CliScanner.h"

#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/TerminalProgress.h"
#include "engine/ScanRun.h"
#include "modules/DefaultModules.h"
#include "platform/Platform.h"

#include <atomic>
#include <ostream>

namespace tolvane {

CliScanner::CliScanner(CliContext& context, CliSession& session)
    : context_(context), session_(session), modules_(defaultModuleFactory(session.platform())) {}

Result<CliScanner::Selection> CliScanner::parseModules(const std::optional<std::string>& list) {
    Selection selection{};
    if (!list) {
        selection.fill(true);
        return selection;
    }
    std::size_t start = 0;
    while (start <= list->size()) {
        const std::size_t end = std::min(list->find(',', start), list->size());
        const std::string item = list->substr(start, end - start);
        int id = -1;
        if (!item.empty() && item.size() <= 2 &&
            item.find_first_not_of("0123456789") == std::string::npos) {
            id = std::stoi(item);
        }
        if (!isModuleId(id)) {
            return makeError("--modules takes module numbers 0 to 12 separated by commas, not \"" +
                             item + "\"");
        }
        selection[static_cast<std::size_t>(id)] = true;
        start = end + 1;
    }
    return selection;
}

std::string CliScanner::place() const {
    const std::filesystem::path prefix = context_.prefixPath();
    return prefix.empty() ? std::string(IgnoreList::livePlace) : IgnoreList::placeOfPrefix(prefix);
}

Result<void> CliScanner::prepareScreen() {
    auto ignored = IgnoreList::load(session_.settings());
    if (!ignored) {
        return ignored.error();
    }
    modules_.setScreen(ProtectionList(session_.platform().registry), std::move(ignored.value()),
                       place());
    return {};
}

ProblemList& CliScanner::scan(const Selection& modules) {
    std::atomic<int> busy{0};
    ScanRun run(modules_, session_.platform(), session_.settings(), busy);
    std::optional<TerminalProgress> progress;
    if (TerminalProgress::stderrIsTerminal()) {
        progress.emplace(context_.err);
    }
    run.start(modules, progress ? &*progress : nullptr, {});
    run.wait();
    if (progress) {
        progress->finish();
    }
    return modules_.results();
}

} // namespace tolvane
