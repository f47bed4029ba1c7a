// The Windows side of TestFileSystem: real files at the Windows paths asked for, served by the
// real API. Under Wine they land in the throw-away prefix the tests run in. The files and the
// folders this object had to make go when it goes; what existed before stays.
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Text.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFileSystem.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace tolvane::test {

struct TestFileSystem::Layout {
    std::filesystem::path hostPath(std::string_view windowsPath) const {
        const auto wide = ansiToWide(windowsPath);
        std::filesystem::path path = wide.value_or(std::wstring());
        if (!path.is_absolute()) {
            throw std::invalid_argument("test files need an absolute Windows path");
        }
        return path;
    }

    // Makes `folder` and whatever it needs, remembering each folder made.
    void makeFolders(const std::filesystem::path& folder) {
        std::vector<std::filesystem::path> missing;
        for (auto current = folder; !std::filesystem::exists(current);
             current = current.parent_path()) {
            missing.push_back(current);
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            std::filesystem::create_directory(*it);
            created.push_back(*it);
        }
    }

    Win32FileSystem files;
    // In the order made, so that going backwards removes files before their folders.
    std::vector<std::filesystem::path> created;
};

TestFileSystem::TestFileSystem(RegistryGateway&) : layout_(std::make_unique<Layout>()) {}

TestFileSystem::~TestFileSystem() {
    for (auto it = layout_->created.rbegin(); it != layout_->created.rend(); ++it) {
        std::error_code error;
        std::filesystem::remove(*it, error);
    }
}

FileSystem& TestFileSystem::files() {
    return layout_->files;
}

void TestFileSystem::addFile(std::string_view windowsPath) {
    const auto file = layout_->hostPath(windowsPath);
    if (std::filesystem::exists(file)) {
        return;
    }
    layout_->makeFolders(file.parent_path());
    writeFile(file, "");
    if (!std::filesystem::exists(file)) {
        throw std::runtime_error("cannot create the test file " + std::string(windowsPath));
    }
    layout_->created.push_back(file);
}

void TestFileSystem::addFolder(std::string_view windowsPath) {
    layout_->makeFolders(layout_->hostPath(windowsPath));
}

} // namespace tolvane::test
