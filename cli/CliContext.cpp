#include "cli/CliContext.h"

#include "cli/CliApp.h"
#include "cli/CliSession.h"

#ifndef _WIN32
#include "platform/prefix/PrefixPlatform.h"
#endif
#include <ostream>

namespace tolvane {

std::filesystem::path CliContext::prefixPath() const {
#ifdef _WIN32
    return line.prefix.value_or(std::filesystem::path());
#else
    return line.prefix.value_or(prefix::PrefixPlatform::defaultPrefix());
#endif
}

void CliContext::fail(std::string_view message) const {
    err << "tolvane-cli: " << message << "\n";
}

std::unique_ptr<CliSession> CliContext::openSession() const {
    auto session = CliSession::open(*this, CliSession::Use::read);
    if (!session) {
        fail(session.message());
        return nullptr;
    }
    return std::move(session.value());
}

std::unique_ptr<CliSession> CliContext::openChangingSession() const {
    auto session = CliSession::open(*this, CliSession::Use::change);
    if (!session) {
        fail(session.message());
        return nullptr;
    }
    return std::move(session.value());
}

int CliContext::report(const Result<void>& result, std::string_view done) const {
    if (!result) {
        fail(result.message());
        return exitcode::failure;
    }
    out << done << "\n";
    return exitcode::ok;
}

} // namespace tolvane
