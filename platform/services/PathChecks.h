#pragma once

#include "platform/FileSystem.h"
#include "platform/PathState.h"
#include "platform/RegistryGateway.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The drive-form test of a command text read from the registry. A text that starts with a
// double quote gives what stands between the first two quotes (false, and `out` five blanks,
// when the second quote is missing). Any other text is first lower-cased in place (ASCII
// letters only: the text is UTF-8 on Linux, where lowering other letters could change its
// length in place, and every later test of the name ignores case anyway); `out` gets it up to
// the first blank after the first ".exe" that ends a file name (followed by a blank or the end:
// the "exe" inside "Flexera" ends nothing), else up to the first blank. True when `out` reads
// like "X:\...".
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
    // "/", then before ","; environment references are expanded. Rewrites `text`; an
    // expansion that does not fit MAX_PATH leaves the text unexpanded.
    void NormalizeServerPath(std::string& text);
    // PathFileExistsA on the path, then on it below the Windows and the system folder, then
    // with every "WINNT" read as "WINDOWS". Texts of 0 or 1 characters do not exist.
    bool FileExistsInSystemDirs(std::string_view path);
    // FileExistsInSystemDirs, shedding the last character while that fails, the text has at
    // least 4 characters and still holds a dot.
    bool ExistsTrimmingTail(std::string_view path);
    // Whether the program of a command line may exist: CommandState is not `missing`.
    bool CommandTargetExists(std::string_view text);
    // IsFileOrRegisteredApp on the name, on it below the Windows and the system folder, and
    // with every "WINNT" read as "WINDOWS". An empty name is not found.
    bool FindFileOrApp(std::string_view name);
    // An existing file that is not a folder, or a key HKEY_CLASSES_ROOT\Applications\<name>.
    bool IsFileOrRegisteredApp(std::string_view name);

    // Environment references expanded with the environment of the system being cleaned.
    // `unresolvedAt` gets where the first reference to a variable that is not set starts,
    // npos when there is none ("%1" and other placeholders are no variables).
    std::string expandReferences(std::string_view text, std::size_t& unresolvedAt);

    // A command line resolved as Windows starts it: the program (quoted, or unquoted with
    // blanks tried as CreateProcess tries them, ".exe" added where the name has no extension,
    // a bare name searched in App Paths, the registered applications, the system and Windows
    // folders and PATH), then for rundll32 the library and for msiexec the product or package
    // it names. Placeholders such as %1 or %* are arguments; a program that is one is unknown.
    PathState CommandState(std::string_view commandLine);
    // One path, quoted or not, with environment references: an existing file or folder, or a
    // missing one when it names a drive; anything else is unknown.
    PathState FileState(std::string_view path);
    // An icon location "path,index" or "path,-id": the file (a bare name is searched as a
    // library is); "%1" (the document itself) is unknown.
    PathState IconState(std::string_view location);
    // A library as LoadLibrary finds it: a drive path as it stands, a bare name (".dll" added
    // where it has no extension) in the system and Windows folders and PATH.
    PathState LibraryState(std::string_view name);
    // The program an App Paths entry's default value names, which is its full path: quoted, or
    // unquoted and perhaps followed by arguments, with environment references expanded. A text
    // that names no drive or never closes its quote is missing; an unset variable or a path
    // too long to test leaves the answer unknown.
    PathState AppPathTargetState(std::string_view value);
    // A Windows Installer product code "{...}": known when its uninstall entry or the
    // Installer's product key exists.
    PathState ProductState(std::string_view code);
    // A COM server text: a quoted path as it stands, else NormalizeServerPath, then
    // ExistsTrimmingTail. Unknown with an unset variable or a network path. `text` ends as the
    // path that was tested.
    PathState ServerState(std::string& text);

private:
    PathState programState(std::string_view path);
    PathState argumentState(std::string_view program, std::string_view arguments);
    // The program that the App Paths entry `name` names.
    PathState appPathState(std::string_view name);
    // `name` (and `name` + `extension` where it has none) in the search folders.
    bool inSearchFolders(std::string_view name, std::string_view extension);
    bool isFile(std::string_view path);
    bool keyExists(HKey root, std::string_view path);
    const std::vector<std::string>& searchFolders();

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
    // System folder, Windows folder and PATH, read on first use.
    std::vector<std::string> searchFolders_;
    bool searchFoldersRead_ = false;
};

} // namespace tolvane
