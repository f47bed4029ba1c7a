// tolvane-cli on Windows works on the live registry.
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "platform/win32/LivePlatform.h"

#include <filesystem>

namespace tolvane {

namespace {

class CliSessionLive final : public CliSession {
public:
    CliSessionLive() : live_(applicationName) {
        // Start-up makes the backup folder below the working directory, as on Linux: a fix
        // with backup makes only its own dated folder in it. Failing that, the actions that
        // need it say so themselves.
        std::error_code error;
        std::filesystem::create_directory(live_.platform().workingDirectory / "Backup", error);
    }

    Platform& platform() override { return live_.platform(); }
    ProfileStore& settings() override { return live_.settings(); }

private:
    LivePlatform live_;
};

} // namespace

Result<std::unique_ptr<CliSession>> CliSession::open(const CliContext& context, Use) {
    // Working on the live registry when the user named a prefix would change the wrong one.
    if (context.line.prefix) {
        return makeError("--prefix names a Wine prefix; on Windows the live registry is used");
    }
    return std::unique_ptr<CliSession>(new CliSessionLive());
}

} // namespace tolvane
