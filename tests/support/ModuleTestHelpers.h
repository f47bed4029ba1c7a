#pragma once

#include "engine/ProblemList.h"
#include "platform/RegistryGateway.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::test {

// One line per record, "module/kind problem | description | primary | secondary", so that a
// failing comparison of scan results shows every field.
std::vector<std::string> recordLines(const ProblemList& list);

// The records of a scan, each ticked for fixing.
std::vector<ProblemRecord> selectAll(const ProblemList& list);

// How often `part` occurs in `text` (overlapping occurrences count).
std::size_t occurrences(std::string_view text, std::string_view part);

// `field` of every record, in order.
std::vector<std::string> fieldOf(const ProblemList& found, std::string ProblemRecord::*field);
std::vector<std::string> sorted(std::vector<std::string> texts);

// Whether `root`\`path` opens.
bool keyExists(RegistryGateway& registry, HKey root, std::string_view path);

} // namespace tolvane::test
