#include "platform/discovery/VdfNode.h"

#include "platform/base/AsciiText.h"

#include <charconv>

namespace tolvane::discovery {
namespace {} // namespace

VdfNode VdfNode::makeText(std::string name, std::string text) {
    VdfNode node;
    node.kind_ = Kind::Text;
    node.name_ = std::move(name);
    node.text_ = std::move(text);
    return node;
}

VdfNode VdfNode::makeInteger(std::string name, std::int64_t value) {
    VdfNode node;
    node.kind_ = Kind::Integer;
    node.name_ = std::move(name);
    node.integer_ = value;
    return node;
}

VdfNode VdfNode::makeMap(std::string name) {
    VdfNode node;
    node.kind_ = Kind::Map;
    node.name_ = std::move(name);
    return node;
}

const VdfNode* VdfNode::child(std::string_view name) const {
    for (const auto& entry : children_) {
        if (equalsIgnoringAsciiCase(entry.name_, name)) {
            return &entry;
        }
    }
    return nullptr;
}

std::optional<std::string> VdfNode::textOf(std::string_view name) const {
    const VdfNode* entry = child(name);
    if (entry == nullptr || entry->kind_ == Kind::Map) {
        return std::nullopt;
    }
    if (entry->kind_ == Kind::Integer) {
        return std::to_string(entry->integer_);
    }
    return entry->text_;
}

std::optional<std::uint32_t> VdfNode::unsignedOf(std::string_view name) const {
    const VdfNode* entry = child(name);
    if (entry == nullptr) {
        return std::nullopt;
    }
    if (entry->kind_ == Kind::Integer) {
        if (entry->integer_ < INT32_MIN || entry->integer_ > UINT32_MAX) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(entry->integer_);
    }
    if (entry->kind_ != Kind::Text || entry->text_.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const char* first = entry->text_.data();
    const char* last = first + entry->text_.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

} // namespace tolvane::discovery
