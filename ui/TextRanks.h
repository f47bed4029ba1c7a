#pragma once

#include <QStringView>
#include <span>
#include <vector>

namespace tolvane {

// The place of every text among all of them in QString's order (UTF-16 code units), equal texts
// sharing the place of the first: ranks of {"b", "a", "b"} are {1, 0, 1}. Sorts contiguous
// (prefix, index) pairs a few code units at a time instead of comparing whole strings, so texts
// with long common beginnings (key paths) are ranked without chasing every string on every
// compare.
std::vector<int> rankTexts(std::span<const QStringView> texts);

} // namespace tolvane
