#include "platform/win32/RegeditRegistryEditor.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Text.h"

// <windows.h> must come first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <atomic>
#include <fstream>
#include <system_error>

namespace tolvane {

namespace {

constexpr std::string_view regedit4Header = "REGEDIT4";

std::string utf16Bytes(std::string_view ascii) {
    std::string bytes;
    for (const char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

// "/e" writes version 5: UTF-16LE with a byte-order mark.
const std::string version5Header = "\xFF\xFE" + utf16Bytes("Windows Registry Editor Version 5.00");

// One argument in double quotes. regedit splits its command line by the usual rules, in which
// a backslash before a quote escapes it, so a text with a quote or a trailing backslash
// cannot be carried.
std::optional<std::string> quotedArgument(std::string_view text) {
    if (text.find('"') != std::string_view::npos || (!text.empty() && text.back() == '\\')) {
        return std::nullopt;
    }
    return "\"" + std::string(text) + "\"";
}

bool startsWith(const std::filesystem::path& file, std::string_view header) {
    std::ifstream in(file, std::ios::binary);
    std::string start(header.size(), '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    return in && start == header;
}

// A name beside `file` that nothing uses yet.
std::optional<std::filesystem::path> freshSibling(const std::filesystem::path& file) {
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    const std::filesystem::path target = std::filesystem::absolute(file, error);
    if (error || !target.has_filename()) {
        return std::nullopt;
    }
    constexpr int attempts = 1000;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::filesystem::path candidate = target;
        candidate += L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(counter++) + L".tmp";
        if (!std::filesystem::exists(candidate, error) && !error) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

RegeditRegistryEditor::RegeditRegistryEditor(RegistryEditor& fallback, std::string program)
    : fallback_(fallback), program_(std::move(program)) {}

std::optional<std::string>
RegeditRegistryEditor::parameters(std::string_view switchText, const std::filesystem::path& file,
                                  std::optional<std::string_view> keyText) {
    const auto fileText = wideToAnsi(file.native());
    if (!fileText || fileText->empty()) {
        return std::nullopt;
    }
    const auto fileArgument = quotedArgument(*fileText);
    if (!fileArgument) {
        return std::nullopt;
    }
    std::string result = std::string(switchText) + " " + *fileArgument;
    if (keyText) {
        // A key path may end in backslashes ("...\Run\"); they name the same key.
        std::string_view key = *keyText;
        while (!key.empty() && key.back() == '\\') {
            key.remove_suffix(1);
        }
        const auto keyArgument = quotedArgument(key);
        if (key.empty() || !keyArgument) {
            return std::nullopt;
        }
        result += " " + *keyArgument;
    }
    return result;
}

Result<void> RegeditRegistryEditor::exportKey(const std::filesystem::path& file,
                                              std::string_view keyText) {
    if (exportWithRegedit(file, "/a", keyText, regedit4Header)) {
        return {};
    }
    return fallback_.exportKey(file, keyText);
}

Result<void> RegeditRegistryEditor::exportRegistry(const std::filesystem::path& file) {
    if (exportWithRegedit(file, "/e", std::nullopt, version5Header)) {
        return {};
    }
    return fallback_.exportRegistry(file);
}

Result<void> RegeditRegistryEditor::importRegFile(const std::filesystem::path& file) {
    return fallback_.importRegFile(file);
}

bool RegeditRegistryEditor::exportWithRegedit(const std::filesystem::path& file,
                                              std::string_view switchText,
                                              std::optional<std::string_view> keyText,
                                              std::string_view header) {
    const auto scratch = freshSibling(file);
    if (!scratch) {
        return false;
    }
    const auto parameterText = parameters(switchText, *scratch, keyText);
    if (!parameterText) {
        return false;
    }
    const bool written =
        run(*parameterText) && startsWith(*scratch, header) &&
        MoveFileExW(scratch->c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (!written) {
        std::error_code error;
        std::filesystem::remove(*scratch, error);
    }
    return written;
}

bool RegeditRegistryEditor::run(const std::string& parameterText) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // No error dialog when regedit cannot start: the worker that runs this must not wait for
    // a click, and the fallback takes over anyway.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = nullptr;
    info.lpFile = program_.c_str();
    info.lpParameters = parameterText.c_str();
    info.lpDirectory = nullptr;
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info)) {
        return false;
    }
    const UniqueHandle process(info.hProcess);
    if (!process) {
        return false;
    }
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 1;
    return GetExitCodeProcess(process.get(), &exitCode) != FALSE && exitCode == 0;
}

} // namespace tolvane
