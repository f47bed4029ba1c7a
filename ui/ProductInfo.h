#pragma once

namespace tolvane::product {

inline constexpr const char* name = "Tolvane";
// The product web page, opened by the Bonus button and the About page's link.
inline constexpr const char* webPage = "https://tolvane.example.org/";
inline constexpr const char* version = TOLVANE_VERSION;
// The help written for this program, beside the executable or in <prefix>/share/tolvane.
inline constexpr const char* helpFileName = "Tolvane.html";

} // namespace tolvane::product
