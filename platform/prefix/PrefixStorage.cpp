#include "platform/prefix/PrefixStorage.h"

#include <string>

namespace tolvane::prefix {

PrefixStorage::PrefixStorage(WineRegistry& registry, std::filesystem::path prefix,
                             WineServerProbe probe)
    : registry_(registry), prefix_(std::move(prefix)), probe_(std::move(probe)) {}

std::string PrefixStorage::describe() const {
    return "the Wine prefix " + prefix_.string();
}

Result<void> PrefixStorage::ensureWritable() {
    if (const auto server = probe_.runningServer()) {
        const std::string process = *server > 0 ? " (process " + std::to_string(*server) + ")" : "";
        return makeError("a wineserver" + process + " is running for the Wine prefix " +
                         prefix_.string() +
                         "; close the programs that run in it (or run \"wineserver -k\") and "
                         "try again");
    }
    return {};
}

Result<void> PrefixStorage::save() {
    if (auto writable = ensureWritable(); !writable) {
        return writable;
    }
    return registry_.save();
}

} // namespace tolvane::prefix
