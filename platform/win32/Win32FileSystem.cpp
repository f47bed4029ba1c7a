#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/Win32Text.h"

// <windows.h> must come first.
// clang-format off
#include <windows.h>
#include <shlwapi.h>
// clang-format on

#include <algorithm>
#include <cstring>

namespace tolvane {

namespace {

// Fills `buffer` through a Win32 call with the text-buffer convention: the length without the
// NUL when the text fits, the size needed with the NUL when it does not, 0 on failure.
template <typename Call>
std::uint32_t fillText(std::string& buffer, std::uint32_t size, Call&& call) {
    std::string out(std::max<std::uint32_t>(size, 1), '\0');
    const std::uint32_t rc = call(out.data(), size);
    if (rc != 0 && rc < size) {
        buffer.assign(out.data(), rc);
    }
    return rc;
}

} // namespace

bool Win32FileSystem::PathFileExistsA(std::string_view path) {
    const auto text = terminatedText(path);
    return text && ::PathFileExistsA(text->c_str()) != FALSE;
}

bool Win32FileSystem::PathIsDirectoryA(std::string_view path) {
    const auto text = terminatedText(path);
    return text && ::PathIsDirectoryA(text->c_str()) != FALSE;
}

std::uint32_t Win32FileSystem::GetFileAttributesA(std::string_view path) {
    const auto text = terminatedText(path);
    return text ? ::GetFileAttributesA(text->c_str()) : invalidFileAttributes;
}

std::uint32_t Win32FileSystem::GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) {
    return fillText(buffer, size, [](char* out, std::uint32_t offered) {
        return ::GetWindowsDirectoryA(out, offered);
    });
}

std::uint32_t Win32FileSystem::GetSystemDirectoryA(std::string& buffer, std::uint32_t size) {
    return fillText(buffer, size, [](char* out, std::uint32_t offered) {
        return ::GetSystemDirectoryA(out, offered);
    });
}

std::uint32_t Win32FileSystem::GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                                       std::uint32_t size) {
    const auto text = terminatedText(name);
    if (!text) {
        return 0;
    }
    return fillText(buffer, size, [&](char* out, std::uint32_t offered) {
        return ::GetEnvironmentVariableA(text->c_str(), out, offered);
    });
}

std::uint32_t Win32FileSystem::ExpandEnvironmentStringsA(std::string_view source,
                                                         std::string& buffer, std::uint32_t size) {
    const auto text = terminatedText(source);
    if (!text) {
        return 0;
    }
    std::string out(std::max<std::uint32_t>(size, 1), '\0');
    // Unlike the other calls, the count includes the NUL whether or not the text fits.
    const DWORD rc = ::ExpandEnvironmentStringsA(text->c_str(), out.data(), size);
    if (rc != 0 && rc <= size) {
        buffer.assign(out.data(), strnlen(out.data(), size));
    }
    return rc;
}

std::uint32_t Win32FileSystem::GetTempPathA(std::string& buffer, std::uint32_t size) {
    return fillText(buffer, size,
                    [](char* out, std::uint32_t offered) { return ::GetTempPathA(offered, out); });
}

std::uint32_t Win32FileSystem::GetTempFileNameA(std::string_view path, std::string_view prefix,
                                                std::uint32_t unique, std::string& tempFile) {
    const auto folder = terminatedText(path);
    const auto start = terminatedText(prefix);
    // Win32 writes into a MAX_PATH buffer and needs room for "\", the prefix, four hex digits
    // and ".tmp" after the folder.
    constexpr std::size_t nameRoom = 14;
    if (!folder || !start || folder->size() > MAX_PATH - nameRoom) {
        return 0;
    }
    std::string out(MAX_PATH, '\0');
    const UINT rc = ::GetTempFileNameA(folder->c_str(), start->c_str(), unique, out.data());
    if (rc != 0) {
        tempFile.assign(out.data(), strnlen(out.data(), out.size()));
    }
    return rc;
}

} // namespace tolvane
