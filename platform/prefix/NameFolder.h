#pragma once

#include <locale.h>
#include <string>
#include <string_view>

namespace tolvane::prefix {

// Folds file and variable names for the case-insensitive comparisons Wine makes: every
// character of a UTF-8 name is upper-cased with the Unicode simple mapping (so "ä" meets "Ä"
// and "σ" meets "Σ", as a Win32 program under Wine sees them). Bytes that are not valid UTF-8
// stay as they are. Without a UTF-8 locale only ASCII letters fold.
class NameFolder {
public:
    NameFolder();
    NameFolder(const NameFolder&) = delete;
    NameFolder& operator=(const NameFolder&) = delete;
    ~NameFolder();

    std::string fold(std::string_view name) const;
    bool equal(std::string_view a, std::string_view b) const;

private:
    locale_t utf8_ = static_cast<locale_t>(nullptr);
};

} // namespace tolvane::prefix
