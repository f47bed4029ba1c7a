#include "platform/discovery/DiscoveryFiles.h"

#include "platform/base/PathText.h"

#include <algorithm>
#include <fstream>

namespace tolvane::discovery {

std::string describeFailure(const std::filesystem::path& path, const std::error_code& error) {
    return textFromPath(path) + ": " + error.message();
}

Result<std::string> readConfigFile(const std::filesystem::path& file, std::uintmax_t limit) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        if (error) {
            return makeError(describeFailure(file, error));
        }
        return makeError(textFromPath(file) + ": not a file");
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return makeError(textFromPath(file) + ": cannot be opened");
    }
    // Read piece by piece up to the limit: the size on disk may change while we read.
    std::string content;
    std::string piece(64 * 1024, '\0');
    while (stream) {
        stream.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        content.append(piece.data(), static_cast<std::size_t>(stream.gcount()));
        if (content.size() > limit) {
            return makeError(textFromPath(file) + ": more than " + std::to_string(limit) +
                             " bytes, too big for a launcher's file");
        }
    }
    if (stream.bad()) {
        return makeError(textFromPath(file) + ": read error");
    }
    return content;
}

Result<std::vector<std::filesystem::path>> listFolder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    if (!std::filesystem::exists(folder, error)) {
        if (error && error != std::errc::no_such_file_or_directory &&
            error != std::errc::not_a_directory) {
            return makeError(describeFailure(folder, error));
        }
        return entries;
    }
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        return makeError(describeFailure(folder, error));
    }
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            return makeError(describeFailure(folder, error));
        }
        entries.push_back(it->path());
    }
    if (error) {
        return makeError(describeFailure(folder, error));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool isFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool isPrefixFolder(const std::filesystem::path& path) {
    return isFolder(path / "drive_c") && (isFile(path / "system.reg") || isFile(path / "user.reg"));
}

} // namespace tolvane::discovery
