#pragma once

#include "platform/RegistryTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

// What RegQueryInfoKeyA reports. Name lengths are characters without the NUL; maxValueLen is
// the longest data in bytes as stored (strings count their UTF-16 bytes).
struct RegKeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0;
    std::uint32_t maxClassLen = 0;
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLen = 0;
    std::uint32_t maxValueLen = 0;
};

// What a RegQueryInfoKeyA caller wants, as a Win32 caller passes null for the rest: the longest
// name and datum cost a look at every sub-key and value, the counts cost nothing. With `counts`
// the longest lengths are reported as 0.
enum class KeyInfoParts { counts, everything };

// The registry as the Win32 API presents it, under the Win32 names and with the Win32 result
// codes and size rules. Buffers are std::string; wherever Win32 takes a buffer size, the
// caller still passes the size it offers, and a name or datum that does not fit gives
// winerr::moreData (234) exactly as Win32 would, leaving the output untouched.
//
// The "A" functions are what the scan logic uses: 8-bit texts (UTF-8 on Linux, the ANSI code
// page on Windows), string data converted from the stored UTF-16. The "W" functions hand out
// names in UTF-16 and data exactly as stored; the registry editor uses them so that export and
// import keep every byte.
class RegistryGateway {
public:
    virtual ~RegistryGateway() = default;

    // Opens `subKey` below `key`. An empty path hands back `key` itself without a new handle.
    // Never creates anything. A missing key gives 2 and `result` = HKey::null.
    virtual std::int32_t RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) = 0;
    // Opens `subKey`, creating every missing level first.
    virtual std::int32_t RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) = 0;
    // Closing a predefined root does nothing and succeeds; HKey::null gives 6.
    virtual std::int32_t RegCloseKey(HKey key) = 0;
    virtual std::int32_t RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) = 0;

    // Name of sub-key `index`. `nameSize` is the buffer offered, counting the NUL: a name of
    // nameSize characters or more gives 234. Past the last sub-key: 259.
    virtual std::int32_t RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                                     std::uint32_t nameSize) = 0;

    // Value `index`. `nameSize`: in, the name buffer offered counting the NUL; out, on success,
    // the name's length. `type`, `data` and `dataSize` may each be null; with `data` null and
    // `dataSize` given only the size is reported. `dataSize` in: bytes offered; out: bytes of
    // the value (ANSI size, NUL included, for strings). On 234 the outputs keep their contents
    // except `dataSize`, which then holds the size needed.
    virtual std::int32_t RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                                       std::uint32_t& nameSize, std::uint32_t* type,
                                       std::string* data, std::uint32_t* dataSize) = 0;

    // Default value of `subKey` (or of `key` when empty) as text. `dataSize` in: bytes offered;
    // out: bytes including the NUL. A key without a default value succeeds with "" and size 1.
    // With `data` null only the size is reported.
    virtual std::int32_t RegQueryValueA(HKey key, std::string_view subKey, std::string* data,
                                        std::int32_t& dataSize) = 0;

    // One value; the empty name is the default value. Sizes as for RegEnumValueA; `data`
    // receives exactly the returned bytes (strings with their NUL).
    virtual std::int32_t RegQueryValueExA(HKey key, std::string_view valueName, std::uint32_t* type,
                                          std::string* data, std::uint32_t* dataSize) = 0;

    // Sets the default value of `subKey` (created when missing) to the text `data` (REG_SZ only;
    // any other type gives 87).
    virtual std::int32_t RegSetValueA(HKey key, std::string_view subKey, std::uint32_t type,
                                      std::string_view data) = 0;
    // `data` is the byte block the caller passes with its size; string types are converted
    // to UTF-16 before they are stored.
    virtual std::int32_t RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t type,
                                        std::string_view data) = 0;

    // Deletes a key without sub-keys (5 when it has some); an empty path deletes `key` itself.
    virtual std::int32_t RegDeleteKeyA(HKey key, std::string_view subKey) = 0;
    virtual std::int32_t RegDeleteValueA(HKey key, std::string_view valueName) = 0;
    virtual std::int32_t RegFlushKey(HKey key) = 0;
    // Whether the key `subKey` names below `key` is itself a link key (a symbolic link to another
    // key): opened as REG_OPTION_OPEN_LINK opens it, its last element not followed. Walks use it
    // to see each key once, under its own path. A missing key gives 2 and `isLink` false.
    virtual std::int32_t RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) = 0;

    // Wide forms with untouched data, for the registry editor. Names have no size limit here.
    virtual std::int32_t RegOpenKeyExW(HKey key, std::u16string_view subKey, HKey& result) = 0;
    virtual std::int32_t RegCreateKeyExW(HKey key, std::u16string_view subKey, HKey& result) = 0;
    virtual std::int32_t RegEnumKeyExW(HKey key, std::uint32_t index, std::u16string& name) = 0;
    virtual std::int32_t RegEnumValueW(HKey key, std::uint32_t index, std::u16string& name,
                                       std::uint32_t& type, std::string& data) = 0;
    virtual std::int32_t RegSetValueExW(HKey key, std::u16string_view valueName, std::uint32_t type,
                                        std::string_view data) = 0;
    virtual std::int32_t RegDeleteKeyW(HKey key, std::u16string_view subKey) = 0;
    virtual std::int32_t RegDeleteValueW(HKey key, std::u16string_view valueName) = 0;

    // Handles handed out by this gateway and not closed yet (predefined roots do not count).
    virtual std::size_t openHandleCount() const = 0;
};

} // namespace tolvane
