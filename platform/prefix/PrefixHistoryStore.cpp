#include "platform/prefix/PrefixHistoryStore.h"

#include "platform/base/HexText.h"

#include <array>
#include <cstdint>
#include <system_error>

namespace tolvane::prefix {

namespace {

constexpr std::array<std::string_view, 4> historyEntries{"Last Scan", "Last Scan Result",
                                                         "Last Defrag", "Last Backup"};

// FNV-1a: the same folder gives the same key in every run and on every build.
std::uint64_t stableHash(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace

std::string PrefixHistoryStore::sectionFor(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
    if (error) {
        canonical = folder.lexically_normal();
    }
    std::string text = canonical.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return "History\\" + hexNumber(stableHash(text), 16);
}

bool PrefixHistoryStore::isHistoryEntry(std::string_view section, std::string_view entry) {
    if (section != "UI") {
        return false;
    }
    for (const auto name : historyEntries) {
        if (entry == name) {
            return true;
        }
    }
    return false;
}

void PrefixHistoryStore::setPrefix(const std::filesystem::path& folder) {
    std::string section = folder.empty() ? std::string() : sectionFor(folder);
    const std::lock_guard lock(mutex_);
    section_ = std::move(section);
}

std::string PrefixHistoryStore::currentSection() const {
    const std::lock_guard lock(mutex_);
    return section_;
}

std::uint32_t PrefixHistoryStore::getProfileInt(std::string_view section, std::string_view entry,
                                                std::uint32_t defaultValue) {
    return store_.getProfileInt(section, entry, defaultValue);
}

bool PrefixHistoryStore::writeProfileInt(std::string_view section, std::string_view entry,
                                         std::uint32_t value) {
    bool written = store_.writeProfileInt(section, entry, value);
    if (const std::string own = currentSection(); !own.empty() && isHistoryEntry(section, entry)) {
        written = store_.writeProfileInt(own, entry, value) && written;
    }
    return written;
}

std::string PrefixHistoryStore::getProfileString(std::string_view section, std::string_view entry,
                                                 std::string_view defaultValue) {
    return store_.getProfileString(section, entry, defaultValue);
}

bool PrefixHistoryStore::writeProfileString(std::string_view section, std::string_view entry,
                                            std::string_view value) {
    bool written = store_.writeProfileString(section, entry, value);
    if (const std::string own = currentSection(); !own.empty() && isHistoryEntry(section, entry)) {
        written = store_.writeProfileString(own, entry, value) && written;
    }
    return written;
}

std::optional<std::vector<std::uint8_t>>
PrefixHistoryStore::getProfileBinary(std::string_view section, std::string_view entry) {
    return store_.getProfileBinary(section, entry);
}

bool PrefixHistoryStore::writeProfileBinary(std::string_view section, std::string_view entry,
                                            const std::vector<std::uint8_t>& bytes) {
    return store_.writeProfileBinary(section, entry, bytes);
}

} // namespace tolvane::prefix
