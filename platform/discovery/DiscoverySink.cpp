#include "platform/discovery/DiscoverySink.h"

#include <utility>

namespace tolvane::discovery {

void DiscoverySink::found(std::string name, std::filesystem::path path,
                          std::vector<std::string> notes) {
    candidates_.push_back(Candidate{std::move(name), std::move(path), std::move(notes)});
}

void DiscoverySink::fail(std::string reason) {
    errors_.push_back(std::move(reason));
}

void DiscoverySink::skip(std::string reason) {
    skipped_.push_back(std::move(reason));
}

} // namespace tolvane::discovery
