#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <yaml-cpp/yaml.h>

namespace tolvane::discovery {

// A launcher's YAML file (Lutris games, Bottles bottles), read with yaml-cpp. Malformed YAML
// becomes an error with the file name and line, never an exception.
class YamlDocument {
public:
    static Result<YamlDocument> load(const std::filesystem::path& file);
    static Result<YamlDocument> parse(std::string_view text, std::string_view fileName);

    const YAML::Node& root() const { return root_; }

    // The scalar at `node[key]` when `node` is a map and that entry is a scalar.
    static std::optional<std::string> scalar(const YAML::Node& node, const char* key);
    // The boolean at `node[key]` (YAML's true/false/yes/no), false when absent or not one.
    static bool flag(const YAML::Node& node, const char* key);

private:
    explicit YamlDocument(YAML::Node root) : root_(std::move(root)) {}

    YAML::Node root_;
};

} // namespace tolvane::discovery
