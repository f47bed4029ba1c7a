// Wine's registry files (system.reg, user.reg, userdef.reg) as the engine loads them.
#include "platform/prefix/RegistryTree.h"
#include "platform/prefix/WineRegFileReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tolvane::prefix::RegistryTree tree;
    (void)tolvane::prefix::WineRegFileReader::parse(
        tree, tolvane::prefix::RegistryTree::machineBranch, text, "system.reg");
    return 0;
}
