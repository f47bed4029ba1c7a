#include "tests/support/ModuleTestHelpers.h"

#include "platform/services/RegKey.h"

#include <algorithm>

namespace tolvane::test {

std::vector<std::string> recordLines(const ProblemList& list) {
    std::vector<std::string> lines;
    for (const ProblemRecord& r : list) {
        lines.push_back(std::to_string(r.moduleId) + "/" + std::to_string(r.entryKind) + " " +
                        r.problemName + " | " + r.description + " | " + r.primaryName + " | " +
                        r.secondaryName);
    }
    return lines;
}

std::vector<ProblemRecord> selectAll(const ProblemList& list) {
    std::vector<ProblemRecord> records(list.begin(), list.end());
    for (ProblemRecord& record : records) {
        record.selected = 1;
    }
    return records;
}

std::vector<std::string> fieldOf(const ProblemList& found, std::string ProblemRecord::*field) {
    std::vector<std::string> texts;
    for (const ProblemRecord& record : found) {
        texts.push_back(record.*field);
    }
    return texts;
}

std::vector<std::string> sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

bool keyExists(RegistryGateway& registry, HKey root, std::string_view path) {
    RegKey key;
    return RegKey::open(registry, root, path, key) == winerr::success;
}

} // namespace tolvane::test
