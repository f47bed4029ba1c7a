#pragma once

#include <locale.h>
#include <string>
#include <string_view>

namespace tolvane::prefix {

// Folds file and variable names for the case-insensitive comparisons Wine makes: every
// character of a UTF-8 name is upper-cased with the Unicode simple mapping (so "ä" meets "Ä"
// and "σ" meets "Σ", as a Win32 program under Wine sees them). Bytes that are not valid UTF-8
// stay as they are. Without a UTF-8 locale only ASCII letters fold.
//
// It also makes up the 8.3 names that Wine gives long names ("Program Files" is PROG~FBU), by
// which a path may name a file too.
class NameFolder {
public:
    NameFolder();
    NameFolder(const NameFolder&) = delete;
    NameFolder& operator=(const NameFolder&) = delete;
    ~NameFolder();

    std::string fold(std::string_view name) const;
    bool equal(std::string_view a, std::string_view b) const;

    // Whether `name` may be a made-up 8.3 name: a plain 8.3 name (the only kind Wine compares
    // with made-up ones) with the '~' that every made-up name has among its first five.
    static bool mayBeMadeUp(std::string_view name);
    // The made-up 8.3 name of a long name, folded: four characters, '~', three of a hash of
    // the name and up to three of its extension.
    std::string shortNameOf(std::string_view name) const;

private:
    locale_t utf8_ = static_cast<locale_t>(nullptr);
};

} // namespace tolvane::prefix
