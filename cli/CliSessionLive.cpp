// tolvane-cli on Windows works on the live registry.
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "platform/win32/LivePlatform.h"

namespace tolvane {

namespace {

class LiveSession final : public CliSession {
public:
    LiveSession() : live_(applicationName) {}

    Platform& platform() override { return live_.platform(); }
    ProfileStore& settings() override { return live_.settings(); }

private:
    LivePlatform live_;
};

} // namespace

Result<std::unique_ptr<CliSession>> CliSession::open(const CliContext& context) {
    // Working on the live registry when the user named a prefix would change the wrong one.
    if (context.line.prefix) {
        return makeError("--prefix names a Wine prefix; on Windows the live registry is used");
    }
    return std::unique_ptr<CliSession>(new LiveSession());
}

} // namespace tolvane
