// Windows paths found in the registry, resolved inside a small scratch prefix.
#include "platform/prefix/NameFolder.h"
#include "platform/prefix/PrefixPathResolver.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace {

// A prefix with drive C: and Z:, a few folders and files, made once per run.
struct ScratchPrefix {
    ScratchPrefix() {
        root = std::filesystem::temp_directory_path() /
               ("tolvane-path-fuzz-" + std::to_string(::getpid()));
        const auto drive = root / "drive_c";
        std::filesystem::create_directories(drive / "windows" / "system32");
        std::filesystem::create_directories(drive / "Program Files" / "App");
        std::filesystem::create_directories(root / "dosdevices");
        std::error_code error;
        std::filesystem::create_directory_symlink("../drive_c", root / "dosdevices" / "c:", error);
        std::filesystem::create_directory_symlink("/", root / "dosdevices" / "z:", error);
        for (const char* file : {"windows/notepad.exe", "windows/system32/kernel32.dll",
                                 "Program Files/App/app.exe", ".hidden"}) {
            std::ofstream(drive / file) << "x";
        }
        resolver = std::make_unique<tolvane::prefix::PrefixPathResolver>(root, root, names);
    }
    ~ScratchPrefix() {
        std::error_code error;
        std::filesystem::remove_all(root, error);
    }
    std::filesystem::path root;
    tolvane::prefix::NameFolder names;
    std::unique_ptr<tolvane::prefix::PrefixPathResolver> resolver;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchPrefix prefix;
    (void)prefix.resolver->attributes(std::string_view(reinterpret_cast<const char*>(data), size),
                                      nullptr);
    return 0;
}
