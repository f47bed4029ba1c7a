#pragma once

namespace tolvane::prefix {

// The lower-case form of one UTF-16 code unit, as wineserver folds names before it compares
// them (simple Unicode mappings; surrogates map to themselves).
char16_t wineLower(char16_t unit);

} // namespace tolvane::prefix
