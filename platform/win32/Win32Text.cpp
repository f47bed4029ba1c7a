#include "platform/win32/Win32Text.h"

#include <limits>
#include <windows.h>

namespace tolvane {

std::optional<std::string> terminatedText(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<std::wstring> ansiToWide(std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return std::nullopt;
    }
    const int length = static_cast<int>(text.size());
    const int size =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0) {
        return std::nullopt;
    }
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, result.data(),
                            size) != size) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::string> wideToAnsi(std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return std::nullopt;
    }
    const int length = static_cast<int>(text.size());
    // UTF-8 refuses only unpaired surrogates; other code pages report a substituted character.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL substituted = FALSE;
    BOOL* substitutedOut = utf8 ? nullptr : &substituted;
    const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr,
                                         substitutedOut);
    if (size <= 0 || substituted) {
        return std::nullopt;
    }
    std::string result(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, result.data(), size, nullptr,
                            substitutedOut) != size ||
        substituted) {
        return std::nullopt;
    }
    return result;
}

} // namespace tolvane
