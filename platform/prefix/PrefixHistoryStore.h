#pragma once

#include "platform/ProfileStore.h"

#include <filesystem>
#include <mutex>
#include <string>

namespace tolvane::prefix {

// The settings store as the desktop program hands it to its pages: every read and write goes
// to the store underneath, and the history entries of section "UI" ("Last Scan", "Last Scan
// Result", "Last Defrag", "Last Backup") are also written to the section of the prefix being
// cleaned, "History\<key>", so the Overview shows each prefix's own history. The key is a
// stable id of the prefix's canonical folder.
class PrefixHistoryStore final : public ProfileStore {
public:
    explicit PrefixHistoryStore(ProfileStore& store) : store_(store) {}

    // The prefix whose section receives the history from now on; empty: none.
    void setPrefix(const std::filesystem::path& folder);
    // "History\<16 hex digits>" for `folder`; the same folder spelled differently (a trailing
    // slash, "..", a symbolic link) has the same section.
    static std::string sectionFor(const std::filesystem::path& folder);
    static bool isHistoryEntry(std::string_view section, std::string_view entry);

    std::uint32_t getProfileInt(std::string_view section, std::string_view entry,
                                std::uint32_t defaultValue) override;
    bool writeProfileInt(std::string_view section, std::string_view entry,
                         std::uint32_t value) override;
    std::string getProfileString(std::string_view section, std::string_view entry,
                                 std::string_view defaultValue) override;
    bool writeProfileString(std::string_view section, std::string_view entry,
                            std::string_view value) override;
    std::optional<std::vector<std::uint8_t>> getProfileBinary(std::string_view section,
                                                              std::string_view entry) override;
    bool writeProfileBinary(std::string_view section, std::string_view entry,
                            const std::vector<std::uint8_t>& bytes) override;

private:
    std::string currentSection() const;

    ProfileStore& store_;
    // Scans record their history on their worker thread.
    mutable std::mutex mutex_;
    std::string section_;
};

} // namespace tolvane::prefix
