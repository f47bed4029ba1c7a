#pragma once

#include "cli/CliSession.h"
#include "platform/Result.h"
#include "platform/offline/OfflinePlatform.h"
#include "platform/prefix/UserProfile.h"

#include <memory>

namespace tolvane {

// tolvane-cli --windows MOUNT: the registry of an offline Windows installation, with the
// program's own settings.
class OfflineSession final : public CliSession {
public:
    // A changing command holds the installation's change lock for as long as the session lives.
    static Result<std::unique_ptr<CliSession>>
    open(const CliContext& context, Use use, std::unique_ptr<prefix::UserProfile> profile,
         const offline::OfflinePlatform::Options& options);

    Platform& platform() override { return offline_->platform(); }
    ProfileStore& settings() override { return profile_->store(); }
    ~OfflineSession() override;

private:
    OfflineSession(std::unique_ptr<prefix::UserProfile> profile,
                   std::unique_ptr<offline::OfflinePlatform> offline)
        : profile_(std::move(profile)), offline_(std::move(offline)) {}

    std::unique_ptr<prefix::UserProfile> profile_;
    std::unique_ptr<offline::OfflinePlatform> offline_;
};

} // namespace tolvane
