#include "platform/services/BackupManifest.h"

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/RegistryStorage.h"

#include <fstream>
#include <sstream>

namespace tolvane {

namespace {

constexpr const char* firstLine = "Tolvane backup";

// One line per entry: a newline or backslash inside a value is written as \n or \\.
std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string environmentValue(FileSystem& files, std::string_view name) {
    std::string value;
    std::uint32_t size = 256;
    auto length = files.GetEnvironmentVariableA(name, value, size);
    if (length >= size) {
        size = length + 1;
        length = files.GetEnvironmentVariableA(name, value, size);
    }
    return length == 0 || length >= size ? std::string() : value;
}

} // namespace

BackupManifest::BackupManifest(std::string origin, std::string machine, std::string user)
    : origin_(std::move(origin)), machine_(std::move(machine)), user_(std::move(user)) {}

BackupManifest BackupManifest::current(const Platform& platform) {
    // A prefix is known by its path alone: Wine gives every prefix the same machine name.
    if (platform.storage.keepsFiles()) {
        return BackupManifest(platform.storage.origin(), {}, {});
    }
    return BackupManifest(platform.storage.origin(),
                          environmentValue(platform.files, "COMPUTERNAME"),
                          environmentValue(platform.files, "USERNAME"));
}

std::optional<BackupManifest> BackupManifest::readFrom(const std::filesystem::path& folder) {
    std::ifstream in(folder / fileName, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line.substr(0, line.find('\r')) != firstLine) {
        return std::nullopt;
    }
    BackupManifest manifest;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, equals);
        std::string value = unescaped(line.substr(equals + 1));
        if (key == "origin") {
            manifest.origin_ = std::move(value);
        } else if (key == "machine") {
            manifest.machine_ = std::move(value);
        } else if (key == "user") {
            manifest.user_ = std::move(value);
        }
    }
    if (manifest.origin_.empty()) {
        return std::nullopt;
    }
    return manifest;
}

Result<void> BackupManifest::writeTo(const std::filesystem::path& folder) const {
    const auto file = folder / fileName;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << firstLine << "\norigin=" << escaped(origin_) << "\nmachine=" << escaped(machine_)
        << "\nuser=" << escaped(user_) << "\n";
    out.close();
    if (!out) {
        return makeError("cannot write " + file.string());
    }
    return {};
}

bool BackupManifest::sameOrigin(const BackupManifest& other) const {
    return origin_ == other.origin_ && machine_ == other.machine_ && user_ == other.user_;
}

std::string BackupManifest::describe() const {
    std::string text = origin_;
    if (!user_.empty() || !machine_.empty()) {
        text += " (user " + (user_.empty() ? std::string("?") : user_) + " on " +
                (machine_.empty() ? std::string("?") : machine_) + ")";
    }
    return text;
}

} // namespace tolvane
