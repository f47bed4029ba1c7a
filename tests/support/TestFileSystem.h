#pragma once

#include "platform/FileSystem.h"
#include "platform/RegistryGateway.h"

#include <memory>
#include <string_view>

namespace tolvane::test {

// Files laid out at Windows paths ("C:\App\a.exe") for tests written against FileSystem. On
// Linux they live in a scratch Wine prefix (C: = drive_c, Z: = /) seen through the prefix file
// system, whose environment comes from `registry`; on Windows they are real files and the real
// API serves them. Either way the Windows folder and the system folder exist, and only what
// this object created goes when it goes.
class TestFileSystem {
public:
    explicit TestFileSystem(RegistryGateway& registry);
    TestFileSystem(const TestFileSystem&) = delete;
    TestFileSystem& operator=(const TestFileSystem&) = delete;
    ~TestFileSystem();

    FileSystem& files();

    // Creates an empty file, with the folders it needs, unless the path exists already.
    void addFile(std::string_view windowsPath);
    // Creates a folder, with the folders it needs, unless the path exists already.
    void addFolder(std::string_view windowsPath);

private:
    struct Layout;
    std::unique_ptr<Layout> layout_;
};

} // namespace tolvane::test
