#include "platform/win32/ModulePath.h"

#include <windows.h>

namespace tolvane {

std::string executablePathA() {
    // A path that fills the buffer may have been cut short: offer more until it fits, so the
    // autostart value never names a truncated path.
    constexpr DWORD longestPath = 32768;
    for (DWORD size = MAX_PATH; size <= longestPath * 4; size *= 2) {
        std::string buffer(size, '\0');
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
    }
    return {};
}

} // namespace tolvane
