#include "platform/regformat/RegFileText.h"

#include "platform/base/AsciiText.h"
#include "platform/base/Utf16Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvane {

std::string printable(std::u16string_view text) {
    if (auto narrow = wideToNarrow(text)) {
        return std::move(*narrow);
    }
    std::string ascii;
    for (const char16_t c : text) {
        ascii += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return ascii;
}

#ifdef _WIN32

std::optional<std::u16string> narrowToWide(std::string_view text) {
    if (isAscii(text)) {
        return std::u16string(text.begin(), text.end());
    }
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::u16string wide(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(wide.data()), length);
    return wide;
}

std::optional<std::string> wideToNarrow(std::u16string_view text) {
    if (isAscii(text)) {
        return std::string(text.begin(), text.end());
    }
    const auto* source = reinterpret_cast<const wchar_t*>(text.data());
    const int sourceLength = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, sourceLength,
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, sourceLength, narrow.data(), length,
                        nullptr, &usedDefault);
    // Some code pages map characters without reporting the default character: check the way back.
    if (usedDefault || narrowToWide(narrow) != std::u16string(text)) {
        return std::nullopt;
    }
    return narrow;
}

#else

std::optional<std::u16string> narrowToWide(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto codePoint = decodeUtf8(text, pos);
        if (!codePoint) {
            return std::nullopt;
        }
        appendUtf16(wide, *codePoint);
    }
    return wide;
}

std::optional<std::string> wideToNarrow(std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i];
        if (isHighSurrogate(codePoint) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            codePoint = joinSurrogates(text[i], text[i + 1]);
            ++i;
        } else if (isSurrogate(codePoint)) {
            return std::nullopt;
        }
        appendUtf8(narrow, codePoint);
    }
    return narrow;
}

#endif

} // namespace tolvane
