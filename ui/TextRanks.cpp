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
};

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

// Sorts the entries by their texts from the code unit at depth on; all texts agree before it.
void sortFrom(std::span<Slot> entries, qsizetype depth, std::span<const QStringView> texts) {
    while (entries.size() > 1) {
        // What every text of the run shares from here on (a common key path) is skipped in one
        // pass, each text read from its start onwards, instead of a dozen units per visit.
        const QStringView first = texts[static_cast<std::size_t>(entries.front().text)];
        qsizetype shared = std::max<qsizetype>(first.size() - depth, 0);
        for (const Slot& slot : entries) {
            const QStringView text = texts[static_cast<std::size_t>(slot.text)];
            const qsizetype limit = std::min(shared, text.size() - depth);
            qsizetype same = 0;
            while (same < limit && text[depth + same] == first[depth + same]) {
                ++same;
            }
            shared = same;
            if (shared == 0) {
                break;
            }
        }
        depth += shared;
        for (Slot& slot : entries) {
            slot.prefix = prefixAt(texts[static_cast<std::size_t>(slot.text)], depth);
        }
        // A beginning all texts share (a common key path) needs no sorting, only the next step.
        const bool allAlike = std::all_of(entries.begin(), entries.end(), [&](const Slot& slot) {
            return slot.prefix == entries.front().prefix;
        });
        if (allAlike) {
            if ((entries.front().prefix.back() & 0x1FFFF) == endMark) {
                return;
            }
            depth += unitsPerStep;
            continue;
        }
        std::sort(entries.begin(), entries.end(),
                  [](const Slot& a, const Slot& b) { return a.prefix < b.prefix; });
        // Runs of one prefix still need the following units, unless the texts ended within it
        // (then they are equal). The largest run continues in this loop, the others recurse.
        std::span<Slot> largest;
        for (std::size_t first = 0; first < entries.size();) {
            std::size_t last = first + 1;
            while (last < entries.size() && entries[last].prefix == entries[first].prefix) {
                ++last;
            }
            const bool textsGoOn = (entries[first].prefix.back() & 0x1FFFF) != endMark;
            if (last - first > 1 && textsGoOn) {
                std::span<Slot> run = entries.subspan(first, last - first);
                if (run.size() > largest.size()) {
                    if (!largest.empty()) {
                        sortFrom(largest, depth + unitsPerStep, texts);
                    }
                    largest = run;
                } else {
                    sortFrom(run, depth + unitsPerStep, texts);
                }
            }
            first = last;
        }
        entries = largest;
        depth += unitsPerStep;
    }
}

} // namespace

std::vector<int> rankTexts(std::span<const QStringView> texts) {
    std::vector<Slot> entries(texts.size());
    for (std::size_t at = 0; at < texts.size(); ++at) {
        entries[at] = {{}, static_cast<int>(at)};
    }
    sortFrom(entries, 0, texts);
    std::vector<int> ranks(texts.size(), 0);
    int rank = 0;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        const auto text = static_cast<std::size_t>(entries[at].text);
        if (at > 0 && texts[static_cast<std::size_t>(entries[at - 1].text)] != texts[text]) {
            rank = static_cast<int>(at);
        }
        ranks[text] = rank;
    }
    return ranks;
}

} // namespace tolvane
