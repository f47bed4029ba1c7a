// The settings file: read, every kind of entry asked for, one entry written back.
#include "platform/prefix/UserProfile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path config =
        std::filesystem::temp_directory_path() /
        ("tolvane-profile-fuzz-" + std::to_string(::getpid()));
    std::error_code error;
    std::filesystem::remove_all(config, error);
    std::filesystem::create_directories(config / "tolvane");
    std::ofstream(config / "tolvane" / "profile.reg", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    auto profile = tolvane::prefix::UserProfile::open(config, "tolvane");
    if (profile) {
        auto& store = profile.value()->store();
        (void)store.getProfileInt("Settings", "RunScanAtStartup", 0);
        (void)store.getProfileString("Settings", "WinePrefix", "");
        (void)store.getProfileBinary("Settings", "Ignore");
        (void)store.writeProfileString("UI", "Last Backup", "now");
        (void)profile.value()->takeNotice();
    }
    std::filesystem::remove_all(config, error);
    return 0;
}
