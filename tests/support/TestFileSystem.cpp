// The Linux side of TestFileSystem: a scratch prefix seen through PrefixFileSystem.
#include "tests/support/TestFileSystem.h"

#include "platform/prefix/PrefixFileSystem.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace tolvane::test {

struct TestFileSystem::Layout {
    explicit Layout(RegistryGateway& registry)
        : files(laidOut(prefix), registry,
                prefix::PrefixFileSystemOptions{
                    {}, prefix.path() / "tmp", "tester", {{prefix.path() / "winefonts"}}}) {}

    // What wineboot lays out, as far as the tests need it.
    static std::filesystem::path laidOut(const TempDir& prefix) {
        const auto& root = prefix.path();
        std::filesystem::create_directories(root / "drive_c" / "windows" / "system32");
        std::filesystem::create_directories(root / "dosdevices");
        std::filesystem::create_directories(root / "tmp");
        // Wine's own fonts: none, so that a scan does not depend on the host's Wine.
        std::filesystem::create_directories(root / "winefonts");
        std::filesystem::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        std::filesystem::create_directory_symlink("/", root / "dosdevices" / "z:");
        return root;
    }

    // Only drive C: is laid out.
    std::filesystem::path hostPath(std::string_view windowsPath) const {
        if (windowsPath.size() < 3 || (windowsPath[0] != 'C' && windowsPath[0] != 'c') ||
            windowsPath.substr(1, 2) != ":\\") {
            throw std::invalid_argument("test files go below C:\\");
        }
        std::string relative(windowsPath.substr(3));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        return prefix.path() / "drive_c" / relative;
    }

    TempDir prefix;
    prefix::PrefixFileSystem files;
};

TestFileSystem::TestFileSystem(RegistryGateway& registry)
    : layout_(std::make_unique<Layout>(registry)) {}

TestFileSystem::~TestFileSystem() = default;

FileSystem& TestFileSystem::files() {
    return layout_->files;
}

void TestFileSystem::addFile(std::string_view windowsPath) {
    const auto file = layout_->hostPath(windowsPath);
    if (!std::filesystem::exists(file)) {
        writeFile(file, "");
    }
}

void TestFileSystem::addFolder(std::string_view windowsPath) {
    std::filesystem::create_directories(layout_->hostPath(windowsPath));
}

} // namespace tolvane::test
