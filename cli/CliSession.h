#pragma once

#include "platform/Result.h"

#include <memory>

namespace tolvane {

struct CliContext;
struct Platform;
class ProfileStore;

// The registry a command works on — a Wine prefix on Linux, the live registry on Windows — with
// the program's settings store.
class CliSession {
public:
    virtual ~CliSession() = default;

    // Whether the command will change the registry: it then holds the prefix lock from
    // reading the registry to storing it.
    enum class Use { read, change };

    // A one-line error when the registry cannot be opened.
    static Result<std::unique_ptr<CliSession>> open(const CliContext& context, Use use);

    virtual Platform& platform() = 0;
    virtual ProfileStore& settings() = 0;

    // The settings of both front ends live under the desktop program's name.
    static constexpr const char* applicationName = "tolvane";
};

} // namespace tolvane
