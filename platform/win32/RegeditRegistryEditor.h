#pragma once

#include "platform/RegistryEditor.h"

#include <optional>
#include <string>

namespace tolvane {

// The registry editor's command lines run by the system's "regedit.exe", hidden, waited for
// without a time limit. Whatever regedit cannot do is handed to `fallback` (the built-in
// editor over the same registry):
// - an export goes to a fresh file beside the target, which replaces the target only when
//   regedit started, ended with exit code 0 and wrote a file with the right header. Otherwise
//   (regedit missing or refused, Wine's regedit rejecting "/a" and exiting 0 without a file, a
//   key or path the command line cannot carry) the fallback exports instead.
// - an import always goes to the fallback: regedit reports nothing about a file it could not
//   read (Wine's exits 0 whatever happened), while the fallback checks the whole file before
//   it changes anything and says what is wrong.
class RegeditRegistryEditor final : public RegistryEditor {
public:
    explicit RegeditRegistryEditor(RegistryEditor& fallback, std::string program = "regedit.exe");

    Result<void> exportKey(const std::filesystem::path& file, std::string_view keyText) override;
    Result<void> exportRegistry(const std::filesystem::path& file) override;
    Result<void> importRegFile(const std::filesystem::path& file) override;

    // regedit's parameters for `switchText` ("/a", "/e"), the file and, for "/a", the key:
    // each in double quotes. std::nullopt when the command line cannot carry them: a double
    // quote in either, a file name the ANSI code page cannot spell, an empty key.
    static std::optional<std::string> parameters(std::string_view switchText,
                                                 const std::filesystem::path& file,
                                                 std::optional<std::string_view> keyText);

private:
    // Runs regedit into a fresh file beside `file` and moves the result over `file`; false
    // when anything on the way failed, leaving `file` as it was.
    bool exportWithRegedit(const std::filesystem::path& file, std::string_view switchText,
                           std::optional<std::string_view> keyText, std::string_view header);
    // Starts the program, waits for it to end; true when it ended with exit code 0.
    bool run(const std::string& parameterText);

    RegistryEditor& fallback_;
    std::string program_;
};

} // namespace tolvane
