#pragma once

#include "platform/RegistryEditor.h"
#include "platform/RegistryGateway.h"
#include "platform/regformat/RegFileReader.h"
#include "platform/regformat/RegFileWriter.h"
#include "platform/services/RegKey.h"

#include <iosfwd>
#include <string>

namespace tolvane {

// The registry editor's three command lines, done in-process through the registry gateway, so
// it serves every backend: "/a" (REGEDIT4 export of one key with its sub-tree), "/e" (version 5
// export of HKEY_LOCAL_MACHINE and HKEY_USERS) and "/s" (import of either format). Values go
// through the gateway's W functions, so every byte of every value survives.
//
// Exports are written to a temporary file beside the target and renamed over it at the end:
// a failed export leaves no file, and an older file at the target stays as it was. An import
// reads and checks the whole file before it changes anything.
class BuiltinRegistryEditor : public RegistryEditor {
public:
    explicit BuiltinRegistryEditor(RegistryGateway& registry);

    Result<void> exportKey(const std::filesystem::path& file, std::string_view keyText) override;
    Result<void> exportRegistry(const std::filesystem::path& file) override;
    Result<void> importRegFile(const std::filesystem::path& file) override;

    // The same without files: export into `out`, import from the bytes of a file.
    Result<void> writeKey(std::ostream& out, std::string_view keyText, RegFileFormat format);
    Result<void> writeRegistry(std::ostream& out);
    // Every change of a well-formed file is tried; the error names how many failed and the
    // first of them.
    Result<void> importBytes(std::string_view bytes);

private:
    struct ImportState {
        RegKey currentKey;
        std::size_t failures = 0;
        std::string firstFailure;
    };

    Result<void> importFrom(Result<RegFileReader> reader);
    void apply(const RegFileEntry& entry, ImportState& state);
    Result<void> writeTree(RegFileWriter& writer, HKey key, std::u16string& path, int depth);
    std::int32_t deleteTree(HKey parent, std::u16string_view path, int depth);
    template <typename Write>
    Result<void> writeFileAtomically(const std::filesystem::path& file, Write&& write);

    RegistryGateway& registry_;
};

} // namespace tolvane
