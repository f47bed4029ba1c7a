#pragma once

#include "tests/support/ForwardingFileSystem.h"

#include <string_view>

namespace tolvane::test {

// Passes every call on and shows each path whose existence is tested to `pathTested` first.
class PathWatchingFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    bool PathFileExistsA(std::string_view path) override;
    bool PathIsDirectoryA(std::string_view path) override;
    std::uint32_t GetFileAttributesA(std::string_view path) override;

protected:
    virtual void pathTested(std::string_view path) = 0;
};

} // namespace tolvane::test
