#include "cli/OfflineSession.h"

#include "cli/CliContext.h"
#include "maintenance/FullBackups.h"

#include <ostream>

namespace tolvane {

Result<std::unique_ptr<CliSession>>
OfflineSession::open(const CliContext& context, Use use,
                     std::unique_ptr<prefix::UserProfile> profile,
                     const offline::OfflinePlatform::Options& options) {
    auto offline = offline::OfflinePlatform::open(*context.line.windows, options);
    if (!offline) {
        return offline.error();
    }
    if (use == Use::change) {
        if (auto held = offline.value()->storage().holdForLifetime(); !held) {
            return held.error();
        }
    }
    if (const auto& user = offline.value()->user()) {
        context.err << "tolvane-cli: Windows installation " << context.line.windows->string()
                    << ", user " << user->name << "\n";
    }
    FullBackups(offline.value()->platform()).removeStale();
    return std::unique_ptr<CliSession>(
        new OfflineSession(std::move(profile), std::move(offline.value())));
}

OfflineSession::~OfflineSession() = default;

} // namespace tolvane
