#include "tests/support/PathWatchingFileSystem.h"

namespace tolvane::test {

bool PathWatchingFileSystem::PathFileExistsA(std::string_view path) {
    pathTested(path);
    return ForwardingFileSystem::PathFileExistsA(path);
}

bool PathWatchingFileSystem::PathIsDirectoryA(std::string_view path) {
    pathTested(path);
    return ForwardingFileSystem::PathIsDirectoryA(path);
}

std::uint32_t PathWatchingFileSystem::GetFileAttributesA(std::string_view path) {
    pathTested(path);
    return ForwardingFileSystem::GetFileAttributesA(path);
}

} // namespace tolvane::test
