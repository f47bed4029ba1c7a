// tolvane-cli on Linux works on a Wine prefix.
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/OfflineSession.h"
#include "maintenance/FullBackups.h"
#include "platform/prefix/PrefixPlatform.h"
#include "platform/prefix/UserProfile.h"
#include "platform/services/BackupLocation.h"
#include "platform/services/XdgAutostart.h"

#include <system_error>

namespace tolvane {

namespace {

class CliSessionPrefix final : public CliSession {
public:
    CliSessionPrefix(std::unique_ptr<prefix::UserProfile> profile,
                     std::unique_ptr<prefix::PrefixPlatform> prefix)
        : profile_(std::move(profile)), prefix_(std::move(prefix)) {}

    Platform& platform() override { return prefix_->platform(); }
    ProfileStore& settings() override { return profile_->store(); }

private:
    std::unique_ptr<prefix::UserProfile> profile_;
    std::unique_ptr<prefix::PrefixPlatform> prefix_;
};

std::filesystem::path runningExecutable() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("tolvane") : executable;
}

} // namespace

Result<std::unique_ptr<CliSession>> CliSession::open(const CliContext& context, Use use) {
    const auto configHome = XdgAutostart::defaultConfigHome();
    auto profile = prefix::UserProfile::open(configHome, applicationName);
    if (!profile) {
        return profile.error();
    }
    if (const auto notice = profile.value()->takeNotice(); !notice.empty()) {
        context.err << "tolvane-cli: " << notice << "\n";
    }
    std::error_code error;
    auto workingDirectory = std::filesystem::current_path(error);
    if (context.line.windows) {
        return OfflineSession::open(context, use, std::move(profile.value()),
                                    {workingDirectory, configHome, runningExecutable(),
                                     BackupLocation::defaultDataHome(), context.line.user});
    }
    prefix::PrefixPlatform::Options options{workingDirectory, configHome, runningExecutable(),
                                            BackupLocation::defaultDataHome()};
    if (use == Use::change) {
        options.lock =
            context.line.noWait ? prefix::PrefixLock::Wait::no : prefix::PrefixLock::Wait::yes;
        options.onWaiting = [&context](std::string_view message) {
            context.err << "tolvane-cli: " << message << std::endl;
        };
    }
    auto prefix = prefix::PrefixPlatform::open(context.prefixPath(), options);
    if (!prefix) {
        return prefix.error();
    }
    // What an interrupted backup left is never listed; here it goes.
    FullBackups(prefix.value()->platform()).removeStale();
    return std::unique_ptr<CliSession>(
        new CliSessionPrefix(std::move(profile.value()), std::move(prefix.value())));
}

} // namespace tolvane
