#pragma once

#include <filesystem>
#include <string_view>

namespace tolvane::test {

// A fresh scratch folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    // Writes `content` to `relative` (creating folders) and returns the full path.
    std::filesystem::path write(std::string_view relative, std::string_view content) const;
    std::string read(std::string_view relative) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, std::string_view content);

} // namespace tolvane::test
