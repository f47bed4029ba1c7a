#pragma once

#include "engine/ModuleSet.h"
#include "engine/ModuleTable.h"
#include "platform/Result.h"

#include <array>
#include <optional>
#include <string>

namespace tolvane {

class CliSession;
struct CliContext;

// Runs a scan for a command: the chosen modules, on the scan run's worker thread, with live
// progress on standard error when that is a terminal. The results stay in the module set.
class CliScanner {
public:
    using Selection = std::array<bool, moduleCount>;

    CliScanner(CliContext& context, CliSession& session);

    // "0,5,12" picks modules by number; no list picks all of them.
    static Result<Selection> parseModules(const std::optional<std::string>& list);

    // Sets what the scan leaves out and a fix keeps: the protection list and the user's ignore
    // list for this registry. An ignore list that cannot be read is an error: a fix must never
    // touch what the user asked to be left alone.
    Result<void> prepareScreen();
    // The registry being cleaned, as the ignore list names it.
    std::string place() const;

    ProblemList& scan(const Selection& modules);
    ModuleSet& modules() { return modules_; }

private:
    CliContext& context_;
    CliSession& session_;
    ModuleSet modules_;
};

} // namespace tolvane
