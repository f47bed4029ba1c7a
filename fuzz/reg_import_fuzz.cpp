// .reg files as the import reads them: REGEDIT4 or version 5 text, 8-bit or UTF-16.
#include "platform/regformat/RegFileReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)tolvane::RegFileReader::parse(
        std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
