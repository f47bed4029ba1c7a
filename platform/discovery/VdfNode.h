#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::discovery {

// One entry of a Valve KeyValues document (text .vdf/.acf or binary shortcuts.vdf): a name
// with a text, a number or a list of child entries. Names compare case-insensitively, as
// Steam reads them.
class VdfNode {
public:
    enum class Kind { Text, Integer, Map };

    VdfNode() = default;
    static VdfNode makeText(std::string name, std::string text);
    static VdfNode makeInteger(std::string name, std::int64_t value);
    static VdfNode makeMap(std::string name);

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    const std::string& text() const { return text_; }
    std::int64_t integer() const { return integer_; }
    const std::vector<VdfNode>& children() const { return children_; }
    std::vector<VdfNode>& children() { return children_; }

    // The first child called `name`, or null.
    const VdfNode* child(std::string_view name) const;
    // The text of child `name` (a number child gives its decimal form).
    std::optional<std::string> textOf(std::string_view name) const;
    // Child `name` as an unsigned 32-bit number: a binary int32 taken bit for bit (Steam
    // writes shortcut ids above 2^31 as negative int32), or a text of decimal digits.
    std::optional<std::uint32_t> unsignedOf(std::string_view name) const;

private:
    Kind kind_ = Kind::Map;
    std::string name_;
    std::string text_;
    std::int64_t integer_ = 0;
    std::vector<VdfNode> children_;
};

} // namespace tolvane::discovery
