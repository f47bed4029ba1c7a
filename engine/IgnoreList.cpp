#include "engine/IgnoreList.h"

#include "engine/ProblemRecord.h"
#include "platform/ProfileStore.h"
#include "platform/base/AsciiText.h"
#include "platform/base/PathText.h"

#include <algorithm>
#include <system_error>

namespace tolvane {

namespace {

// The stored form: a format byte, then per entry the module number and three texts, each as
// four bytes of length (little-endian) and its bytes. Names may hold any byte, tabs and line
// ends included, so no separator could be trusted.
constexpr std::uint8_t storedFormat = 1;

void putNumber(std::vector<std::uint8_t>& bytes, std::uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(number >> shift));
    }
}

void putText(std::vector<std::uint8_t>& bytes, std::string_view text) {
    putNumber(bytes, static_cast<std::uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
}

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    bool done() const { return at_ == bytes_.size(); }
    bool number(std::uint32_t& value) {
        if (bytes_.size() - at_ < 4) {
            return false;
        }
        value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= std::uint32_t{bytes_[at_++]} << shift;
        }
        return true;
    }
    bool text(std::string& value) {
        std::uint32_t size = 0;
        if (!number(size) || bytes_.size() - at_ < size) {
            return false;
        }
        value.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                     bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + size));
        at_ += size;
        return true;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 1;
};

std::string_view withoutClosingBackslash(std::string_view name) {
    while (!name.empty() && name.back() == '\\') {
        name.remove_suffix(1);
    }
    return name;
}

bool sameName(std::string_view a, std::string_view b) {
    return equalsIgnoringAsciiCase(withoutClosingBackslash(a), withoutClosingBackslash(b));
}

bool sameProblem(const IgnoreEntry& a, const IgnoreEntry& b) {
    return a.moduleId == b.moduleId && a.place == b.place &&
           sameName(a.primaryName, b.primaryName) && sameName(a.secondaryName, b.secondaryName);
}

} // namespace

std::string IgnoreList::placeOfPrefix(const std::filesystem::path& prefix) {
    std::error_code error;
    std::filesystem::path place = std::filesystem::weakly_canonical(prefix, error);
    if (error) {
        place = std::filesystem::absolute(prefix, error).lexically_normal();
    }
    std::string text = textFromPath(place);
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) {
        text.pop_back();
    }
    return text;
}

Result<IgnoreList> IgnoreList::load(ProfileStore& profile) {
    IgnoreList list;
    const auto stored = profile.getProfileBinary(section, entry);
    if (!stored || stored->empty()) {
        return list;
    }
    const Error unreadable =
        makeError("the ignore list in the settings cannot be read (unknown format)");
    if (stored->front() != storedFormat) {
        return unreadable;
    }
    Reader reader(*stored);
    while (!reader.done()) {
        IgnoreEntry read;
        std::uint32_t moduleId = 0;
        if (!reader.number(moduleId) || !reader.text(read.primaryName) ||
            !reader.text(read.secondaryName) || !reader.text(read.place)) {
            return unreadable;
        }
        read.moduleId = static_cast<std::int32_t>(moduleId);
        list.entries_.push_back(std::move(read));
    }
    return list;
}

bool IgnoreList::store(ProfileStore& profile) const {
    std::vector<std::uint8_t> bytes{storedFormat};
    for (const IgnoreEntry& stored : entries_) {
        putNumber(bytes, static_cast<std::uint32_t>(stored.moduleId));
        putText(bytes, stored.primaryName);
        putText(bytes, stored.secondaryName);
        putText(bytes, stored.place);
    }
    return profile.writeProfileBinary(section, entry, bytes);
}

bool IgnoreList::add(IgnoreEntry added) {
    if (added.moduleId < 0 ||
        std::any_of(entries_.begin(), entries_.end(),
                    [&](const IgnoreEntry& known) { return sameProblem(known, added); })) {
        return false;
    }
    entries_.push_back(std::move(added));
    return true;
}

bool IgnoreList::removeAt(std::size_t index) {
    if (index >= entries_.size()) {
        return false;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

std::vector<std::size_t> IgnoreList::find(std::string_view name) const {
    std::vector<std::size_t> found;
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        if (sameName(entries_[index].primaryName, name) ||
            (!entries_[index].secondaryName.empty() &&
             sameName(entries_[index].secondaryName, name))) {
            found.push_back(index);
        }
    }
    return found;
}

bool IgnoreList::names(const IgnoreEntry& entry, const ProblemRecord& record) {
    return entry.moduleId == record.moduleId && sameName(entry.primaryName, record.primaryName) &&
           sameName(entry.secondaryName, record.secondaryName);
}

bool IgnoreList::ignores(const ProblemRecord& record, std::string_view place) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const IgnoreEntry& known) {
        return (known.place.empty() || known.place == place) && names(known, record);
    });
}

} // namespace tolvane
