#include "ui/TextRanks.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tolvane {

namespace {

// Twelve code units per step, three to a word, each widened to 17 bits so that "past the end"
// (0) orders before every unit, as a shorter string orders before its extensions. Twelve units
// per visit keep the visits to the scattered strings few.
constexpr qsizetype unitsPerWord = 3;
constexpr std::size_t wordsPerStep = 4;
constexpr qsizetype unitsPerStep = unitsPerWord * static_cast<qsizetype>(wordsPerStep);
constexpr std::uint64_t endMark = 0;

struct Slot {
    std::array<std::uint64_t, wordsPerStep> prefix;
    int text;
    // Set once the text is known to equal the one before it in the final order.
    bool sameAsPrevious;
};

void markAlike(std::span<Slot> run) {
    for (std::size_t at = 1; at < run.size(); ++at) {
        run[at].sameAsPrevious = true;
    }
}

// A run is visited in the order its texts lie in memory: read in sorted order they would be
// scattered over megabytes, and the misses (of the TLB above all) cost more than the sorting.
// The slots' prefixes are refilled right after, so only the text numbers move.
void putInMemoryOrder(std::span<Slot> entries, std::vector<int>& scratch) {
    constexpr std::size_t worthIt = 64;
    if (entries.size() < worthIt) {
        return;
    }
    scratch.resize(entries.size());
    std::transform(entries.begin(), entries.end(), scratch.begin(),
                   [](const Slot& slot) { return slot.text; });
    std::sort(scratch.begin(), scratch.end());
    for (std::size_t at = 0; at < entries.size(); ++at) {
        entries[at].text = scratch[at];
    }
}

std::array<std::uint64_t, wordsPerStep> prefixAt(QStringView text, qsizetype depth) {
    std::array<std::uint64_t, wordsPerStep> prefix{};
    const QChar* units = text.constData();
    const qsizetype size = text.size();
    for (std::size_t word = 0; word < wordsPerStep; ++word) {
        std::uint64_t packed = 0;
        for (qsizetype unit = 0; unit < unitsPerWord; ++unit, ++depth) {
            const std::uint64_t value =
                depth < size ? static_cast<std::uint64_t>(units[depth].unicode()) + 1 : endMark;
            packed = (packed << 17) | value;
        }
        prefix[word] = packed;
    }
    return prefix;
}

// The text ended within the prefix, so texts of an equal prefix are equal.
bool endsWithin(const Slot& slot) {
    return (slot.prefix.back() & 0x1FFFF) == endMark;
}

qsizetype commonLength(QStringView a, QStringView b, qsizetype depth, qsizetype limit) {
    limit = std::min({limit, a.size() - depth, b.size() - depth});
    qsizetype same = 0;
    while (same < limit && a[depth + same] == b[depth + same]) {
        ++same;
    }
    return same;
}

// Sorts the slots by their prefixes and hands on each run of one prefix that still needs the
// following units. Runs whose texts ended within the prefix are equal and marked so, which
// spares comparing the texts once more at the end.
template <typename Continue>
void sortByPrefix(std::span<Slot> entries, Continue&& goOn) {
    std::sort(entries.begin(), entries.end(),
              [](const Slot& a, const Slot& b) { return a.prefix < b.prefix; });
    for (std::size_t first = 0; first < entries.size();) {
        std::size_t last = first + 1;
        while (last < entries.size() && entries[last].prefix == entries[first].prefix) {
            ++last;
        }
        const std::span<Slot> run = entries.subspan(first, last - first);
        if (run.size() > 1 && endsWithin(run.front())) {
            markAlike(run);
        } else if (run.size() > 1) {
            goOn(first, run);
        }
        first = last;
    }
}

// Sorts the entries by their texts from the code unit at depth on; all texts agree before it.
void sortFrom(std::span<Slot> entries, qsizetype depth, std::span<const QStringView> texts) {
    std::vector<int> scratch;
    while (entries.size() > 1) {
        putInMemoryOrder(entries, scratch);
        // What every text of the run shares from here on (a common key path) is skipped in one
        // pass, each text read from its start onwards, instead of a dozen units per visit.
        const QStringView first = texts[static_cast<std::size_t>(entries.front().text)];
        qsizetype shared = std::max<qsizetype>(first.size() - depth, 0);
        for (const Slot& slot : entries) {
            shared = commonLength(texts[static_cast<std::size_t>(slot.text)], first, depth, shared);
            if (shared == 0) {
                break;
            }
        }
        depth += shared;
        for (Slot& slot : entries) {
            slot.prefix = prefixAt(texts[static_cast<std::size_t>(slot.text)], depth);
        }
        // The largest run continues in this loop, the others recurse. (Past what all texts
        // share, the prefixes differ unless the texts are all equal.)
        std::span<Slot> largest;
        sortByPrefix(entries, [&](std::size_t, std::span<Slot> run) {
            if (run.size() > largest.size()) {
                std::swap(run, largest);
            }
            if (!run.empty()) {
                sortFrom(run, depth + unitsPerStep, texts);
            }
        });
        entries = largest;
        depth += unitsPerStep;
    }
}

// Slots whose texts agree before depth. A pass over the texts finds how much more they share,
// read against the group's first text (its reference).
struct Group {
    qsizetype depth;
    std::size_t start;
    std::size_t size;
    int reference;
    qsizetype shared;
};

// While many texts are still unsorted, every level reads them in memory order (one pass for
// what each group shares, one for the next prefix) and sorts each group's slots; the few left
// at the end are finished run by run.
void sortLevels(std::vector<Slot>& entries, std::span<const QStringView> texts) {
    const std::size_t count = entries.size();
    constexpr int settled = -1;
    std::vector<int> groupOf(count, 0);
    std::vector<Group> groups{{0, 0, count, settled, 0}};
    std::vector<Group> next;
    std::vector<std::size_t> fill;
    std::size_t active = count;
    while (!groups.empty() && active * 8 >= count) {
        for (Group& group : groups) {
            group.reference = settled;
        }
        for (std::size_t row = 0; row < count; ++row) {
            const int g = groupOf[row];
            if (g == settled) {
                continue;
            }
            Group& group = groups[static_cast<std::size_t>(g)];
            const QStringView text = texts[row];
            if (group.reference == settled) {
                group.reference = static_cast<int>(row);
                group.shared = std::max<qsizetype>(text.size() - group.depth, 0);
            } else if (group.shared > 0) {
                group.shared = commonLength(text, texts[static_cast<std::size_t>(group.reference)],
                                            group.depth, group.shared);
            }
        }
        fill.resize(groups.size());
        for (std::size_t g = 0; g < groups.size(); ++g) {
            groups[g].depth += groups[g].shared;
            fill[g] = groups[g].start;
        }
        for (std::size_t row = 0; row < count; ++row) {
            const int g = groupOf[row];
            if (g == settled) {
                continue;
            }
            Slot& slot = entries[fill[static_cast<std::size_t>(g)]++];
            slot.prefix = prefixAt(texts[row], groups[static_cast<std::size_t>(g)].depth);
            slot.text = static_cast<int>(row);
        }
        next.clear();
        active = 0;
        for (const Group& group : groups) {
            const std::span<Slot> slots(entries.data() + group.start, group.size);
            for (const Slot& slot : slots) {
                groupOf[static_cast<std::size_t>(slot.text)] = settled;
            }
            sortByPrefix(slots, [&](std::size_t first, std::span<Slot> run) {
                for (const Slot& slot : run) {
                    groupOf[static_cast<std::size_t>(slot.text)] = static_cast<int>(next.size());
                }
                next.push_back(
                    {group.depth + unitsPerStep, group.start + first, run.size(), settled, 0});
                active += run.size();
            });
        }
        std::swap(groups, next);
    }
    for (const Group& group : groups) {
        sortFrom(std::span<Slot>(entries.data() + group.start, group.size), group.depth, texts);
    }
}

} // namespace

std::vector<int> rankTexts(std::span<const QStringView> texts) {
    std::vector<Slot> entries(texts.size());
    for (std::size_t at = 0; at < texts.size(); ++at) {
        entries[at] = {{}, static_cast<int>(at), false};
    }
    sortLevels(entries, texts);
    std::vector<int> ranks(texts.size(), 0);
    int rank = 0;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        const auto text = static_cast<std::size_t>(entries[at].text);
        if (!entries[at].sameAsPrevious) {
            rank = static_cast<int>(at);
        }
        ranks[text] = rank;
    }
    return ranks;
}

} // namespace tolvane
