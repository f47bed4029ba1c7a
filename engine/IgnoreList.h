#pragma once

#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class ProfileStore;
struct ProblemRecord;

// One problem the user does not want to see: the module that finds it and the names its record
// carries, for one registry or for all of them.
struct IgnoreEntry {
    std::int32_t moduleId = -1;
    std::string primaryName;
    std::string secondaryName;
    // The registry it applies to (a prefix folder, "the live registry"); empty for every one.
    std::string place;

    bool operator==(const IgnoreEntry&) const = default;
};

// The user's ignore list, kept in the settings store. Names compare without regard to ASCII
// case and to a closing backslash, as the registry's key names do.
class IgnoreList {
public:
    static constexpr std::string_view section = "Ignore";
    static constexpr std::string_view entry = "Entries";
    // The place of the live registry of the computer the program runs on.
    static constexpr std::string_view livePlace = "the live registry";

    // The place of a Wine prefix: its folder as an absolute path without "." or "..", so that
    // every spelling of one prefix names the same place.
    static std::string placeOfPrefix(const std::filesystem::path& prefix);

    // The stored list; an empty one when nothing is stored, an error when what is stored cannot
    // be read (then nothing may be written over it).
    static Result<IgnoreList> load(ProfileStore& profile);
    bool store(ProfileStore& profile) const;

    const std::vector<IgnoreEntry>& entries() const { return entries_; }
    // False, with nothing changed, when an entry naming the same problem for the same place is
    // there already, or when the entry names no module.
    bool add(IgnoreEntry entry);
    // False when there is no such entry.
    bool removeAt(std::size_t index);
    // The positions of the entries whose primary or secondary name is `name`.
    std::vector<std::size_t> find(std::string_view name) const;

    // True when an entry for `place` or for every place names `record`.
    bool ignores(const ProblemRecord& record, std::string_view place) const;
    // True when `entry` names `record` wherever it applies.
    static bool names(const IgnoreEntry& entry, const ProblemRecord& record);

private:
    std::vector<IgnoreEntry> entries_;
};

} // namespace tolvane
