#include "platform/discovery/YamlDocument.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"

namespace tolvane::discovery {

Result<YamlDocument> YamlDocument::load(const std::filesystem::path& file) {
    auto text = readConfigFile(file);
    if (!text) {
        return text.error();
    }
    return parse(*text, textFromPath(file));
}

Result<YamlDocument> YamlDocument::parse(std::string_view text, std::string_view fileName) {
    try {
        return YamlDocument(YAML::Load(std::string(text)));
    } catch (const YAML::Exception& error) {
        std::string where = std::string(fileName);
        if (!error.mark.is_null()) {
            where += " line " + std::to_string(error.mark.line + 1);
        }
        return makeError(where + ": malformed YAML: " + error.msg);
    } catch (const std::exception& error) {
        return makeError(std::string(fileName) + ": " + error.what());
    }
}

std::optional<std::string> YamlDocument::scalar(const YAML::Node& node, const char* key) {
    try {
        if (!node.IsMap()) {
            return std::nullopt;
        }
        const YAML::Node entry = node[key];
        if (!entry.IsScalar()) {
            return std::nullopt;
        }
        return entry.Scalar();
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
}

bool YamlDocument::flag(const YAML::Node& node, const char* key) {
    const auto text = scalar(node, key);
    if (!text) {
        return false;
    }
    return *text == "true" || *text == "True" || *text == "TRUE" || *text == "yes" ||
           *text == "Yes" || *text == "on";
}

} // namespace tolvane::discovery
