#pragma once

#include "platform/PathState.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr std::uint32_t invalidFileAttributes = 0xFFFFFFFFu;
inline constexpr std::uint32_t fileAttributeDirectory = 0x10u;
inline constexpr std::uint32_t fileAttributeNormal = 0x80u;

// Files and environment as a Win32 program sees them, under the Win32 names. Paths are the
// Windows paths found inside the registry (on Linux they resolve inside the Wine prefix).
//
// Size rules are those of Win32: `size` is the buffer offered in bytes including the NUL. On
// success the functions return the length without the NUL and set `buffer`; when the buffer
// is too small they return the size needed including the NUL and leave `buffer` alone.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool PathFileExistsA(std::string_view path) = 0;
    virtual bool PathIsDirectoryA(std::string_view path) = 0;
    // invalidFileAttributes when the path does not exist.
    virtual std::uint32_t GetFileAttributesA(std::string_view path) = 0;

    virtual std::uint32_t GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) = 0;
    virtual std::uint32_t GetSystemDirectoryA(std::string& buffer, std::uint32_t size) = 0;
    // 0 when the variable is not set.
    virtual std::uint32_t GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                                  std::uint32_t size) = 0;
    // Returns the characters of the expansion including the NUL (Win32's count); a result
    // above `size` means the buffer was too small and `buffer` is unchanged. Unknown
    // %references% stay as written.
    virtual std::uint32_t ExpandEnvironmentStringsA(std::string_view source, std::string& buffer,
                                                    std::uint32_t size) = 0;

    // A font file named without a folder, in the folders other than the Windows Fonts folder
    // where the system's font loader finds such files (on Windows there are none; in a Wine
    // prefix they are Wine's own font folders). Unknown when those folders cannot be found.
    virtual PathState FindLoaderFont(std::string_view fileName) {
        (void)fileName;
        return PathState::missing;
    }

    // Host folder for temporary files, ending in a separator.
    virtual std::uint32_t GetTempPathA(std::string& buffer, std::uint32_t size) = 0;
    // Makes a unique file `path` + prefix (3 characters) + hex number + ".tmp" and creates it
    // when `unique` is 0. Returns the number used, 0 on failure.
    virtual std::uint32_t GetTempFileNameA(std::string_view path, std::string_view prefix,
                                           std::uint32_t unique, std::string& tempFile) = 0;

    // A scan brackets its file tests with these (calls nest). In between, an implementation may
    // keep what it read from disk (folder listings); the last endScan drops it, so that tests
    // made outside a scan always see the disk as it is.
    virtual void beginScan() {}
    virtual void endScan() {}

    // Holds the scan bracket for as long as it lives.
    class ScanScope {
    public:
        explicit ScanScope(FileSystem& files) : files_(files) { files_.beginScan(); }
        ScanScope(const ScanScope&) = delete;
        ScanScope& operator=(const ScanScope&) = delete;
        ~ScanScope() { files_.endScan(); }

    private:
        FileSystem& files_;
    };
};

} // namespace tolvane
