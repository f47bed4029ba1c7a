#include "tests/support/RecordLines.h"

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

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace tolvane::test
