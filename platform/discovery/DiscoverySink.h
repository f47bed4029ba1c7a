#pragma once

#include "platform/discovery/DiscoveredPrefix.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::discovery {

// What one source hands back: the prefixes its launcher records, under the launcher's names,
// and what it could not read.
class DiscoverySink {
public:
    struct Candidate {
        std::string name;
        std::filesystem::path path;
        std::vector<std::string> notes;
    };

    void found(std::string name, std::filesystem::path path, std::vector<std::string> notes = {});
    void fail(std::string reason);
    void skip(std::string reason);

    const std::vector<Candidate>& candidates() const { return candidates_; }
    const std::vector<std::string>& errors() const { return errors_; }
    const std::vector<std::string>& skipped() const { return skipped_; }

private:
    std::vector<Candidate> candidates_;
    std::vector<std::string> errors_;
    std::vector<std::string> skipped_;
};

} // namespace tolvane::discovery
