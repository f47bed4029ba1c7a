#pragma once

#include "platform/FileSystem.h"
#include "platform/RegistryGateway.h"

#include <string>
#include <string_view>

namespace tolvane {

// The drive-form test of a command text read from the registry. A text that starts with a
// double quote gives what stands between the first two quotes (false, and `out` five blanks,
// when the second quote is missing). Any other text is first lower-cased in place (ASCII
// letters only: the text is UTF-8 on Linux, where lowering other letters could change its
// length in place, and every later test of the name ignores case anyway); `out` gets it up to
// the first blank at or after the first "exe". True when `out` reads like "X:\...".
bool HasDrivePath(std::string& text, std::string& out);

// The first token of a command: the text inside leading double quotes (up to the closing one
// or the end), else the text up to the first blank.
void TakeFirstToken(std::string& text);

// Cuts a command after the extension of its program: for a drive path ("C:...", with or without
// a leading quote, which stays) at the first blank after the last dot; for anything else at
// the first blank, adding ".exe" when no dot is left.
void CutAfterExtension(std::string& text);

// Existence checks of paths found in the registry, with the limits of the buffers they were
// written for: a path or joined path that does not fit MAX_PATH (260 bytes with the NUL) counts
// as not found, and so does an "Applications\" key path that does not fit 268 bytes.
class PathChecks {
public:
    PathChecks(FileSystem& files, RegistryGateway& registry);

    // Cuts a COM server text down to a path: quotes go; the text ends before " /", then before
    // "/", then before ","; the first %NAME% pair is expanded, dropping the one character after
    // it (taken to be the backslash put back in its place). Rewrites `text`; an expansion
    // that does not fit MAX_PATH leaves the text unexpanded.
    void NormalizeServerPath(std::string& text);
    // PathFileExistsA on the path, then on it below the Windows and the system folder, then
    // with every "WINNT" read as "WINDOWS". Texts of 0 or 1 characters do not exist.
    bool FileExistsInSystemDirs(std::string_view path);
    // FileExistsInSystemDirs, shedding the last character while that fails, the text has at
    // least 4 characters and still holds a dot.
    bool ExistsTrimmingTail(std::string_view path);
    // Whether the program of an open command exists: its first token, else the command cut
    // after the program's extension, found by FindFileOrApp.
    bool CommandTargetExists(std::string_view text);
    // IsFileOrRegisteredApp on the name, on it below the Windows and the system folder, and
    // with every "WINNT" read as "WINDOWS". An empty name is not found.
    bool FindFileOrApp(std::string_view name);
    // An existing file that is not a folder, or a key HKEY_CLASSES_ROOT\Applications\<name>.
    bool IsFileOrRegisteredApp(std::string_view name);

private:
    // `test` on the name, on it below the Windows and the system folder, and with every "WINNT"
    // read as "WINDOWS"; the first success wins.
    bool inSystemFolders(std::string_view name, bool (PathChecks::*test)(std::string_view));
    bool pathExists(std::string_view path);
    bool fileOrAppExists(std::string_view name);
    using FolderQuery = std::uint32_t (FileSystem::*)(std::string&, std::uint32_t);
    // `name` below the folder `query` gives, in joined_.
    std::string_view belowFolder(FolderQuery query, std::string_view name);

    FileSystem& files_;
    RegistryGateway& registry_;
    // Reused from one check to the next.
    std::string trimmed_;
    std::string joined_;
};

} // namespace tolvane
