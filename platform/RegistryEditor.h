#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <string_view>

namespace tolvane {

// The registry editor's three command lines. `keyText` is the key as the editor's command line
// names it: the full root name, a backslash and the path ("HKEY_LOCAL_MACHINE\Software\X").
class RegistryEditor {
public:
    virtual ~RegistryEditor() = default;

    // "/a": the key and its whole sub-tree as a REGEDIT4 file.
    virtual Result<void> exportKey(const std::filesystem::path& file, std::string_view keyText) = 0;
    // "/e": the whole registry as a version 5 file.
    virtual Result<void> exportRegistry(const std::filesystem::path& file) = 0;
    // "/s": imports either format silently.
    virtual Result<void> importRegFile(const std::filesystem::path& file) = 0;
};

} // namespace tolvane
