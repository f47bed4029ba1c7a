#include "platform/discovery/VdfBinaryReader.h"

#include <cstdint>
#include <string>

namespace tolvane::discovery {
namespace {

class Cursor {
public:
    explicit Cursor(std::span<const std::byte> data) : data_(data) {}

    bool atEnd() const { return at_ >= data_.size(); }
    std::size_t offset() const { return at_; }

    bool byte(std::uint8_t& value) {
        if (atEnd()) {
            return false;
        }
        value = std::to_integer<std::uint8_t>(data_[at_++]);
        return true;
    }

    bool text(std::string& value) {
        for (std::size_t end = at_; end < data_.size(); ++end) {
            if (data_[end] == std::byte{0}) {
                value.assign(reinterpret_cast<const char*>(data_.data() + at_), end - at_);
                at_ = end + 1;
                return true;
            }
        }
        return false;
    }

    bool littleEndian(std::size_t width, std::uint64_t& value) {
        if (data_.size() - at_ < width) {
            return false;
        }
        value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value |= std::uint64_t{std::to_integer<std::uint8_t>(data_[at_ + i])} << (8 * i);
        }
        at_ += width;
        return true;
    }

private:
    std::span<const std::byte> data_;
    std::size_t at_ = 0;
};

Error failure(std::string_view what, std::size_t offset) {
    return makeError(std::string(what) + " at byte " + std::to_string(offset));
}

} // namespace

Result<VdfNode> VdfBinaryReader::read(std::span<const std::byte> data) {
    Cursor cursor(data);
    VdfNode root = VdfNode::makeMap("");
    // Only the innermost map gains children, so the pointers to its ancestors stay valid.
    std::vector<VdfNode*> open{&root};
    while (true) {
        const std::size_t start = cursor.offset();
        std::uint8_t type = 0;
        if (!cursor.byte(type)) {
            // The top level may simply stop; an open map may not.
            if (open.size() > 1) {
                return failure("map \"" + open.back()->name() + "\" is cut off", start);
            }
            return root;
        }
        if (type == 0x08) {
            if (open.size() == 1) {
                // Steam ends the file with the end of the top-level map.
                if (!cursor.atEnd()) {
                    return failure("data after the end", cursor.offset());
                }
                return root;
            }
            open.pop_back();
            continue;
        }
        std::string name;
        if (!cursor.text(name)) {
            return failure("name is cut off", start);
        }
        auto& children = open.back()->children();
        switch (type) {
        case 0x00:
            if (static_cast<int>(open.size()) > maxDepth) {
                return failure("maps nested deeper than " + std::to_string(maxDepth), start);
            }
            children.push_back(VdfNode::makeMap(std::move(name)));
            open.push_back(&children.back());
            break;
        case 0x01: {
            std::string text;
            if (!cursor.text(text)) {
                return failure("text of \"" + name + "\" is cut off", start);
            }
            children.push_back(VdfNode::makeText(std::move(name), std::move(text)));
            break;
        }
        case 0x02: {
            std::uint64_t bits = 0;
            if (!cursor.littleEndian(4, bits)) {
                return failure("number \"" + name + "\" is cut off", start);
            }
            const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
            children.push_back(VdfNode::makeInteger(std::move(name), value));
            break;
        }
        case 0x03: {
            std::uint64_t bits = 0;
            if (!cursor.littleEndian(4, bits)) {
                return failure("number \"" + name + "\" is cut off", start);
            }
            // Kept as its bits: nothing here reads floats.
            children.push_back(VdfNode::makeInteger(std::move(name), std::int64_t(bits)));
            break;
        }
        case 0x07: {
            std::uint64_t bits = 0;
            if (!cursor.littleEndian(8, bits)) {
                return failure("number \"" + name + "\" is cut off", start);
            }
            children.push_back(
                VdfNode::makeInteger(std::move(name), static_cast<std::int64_t>(bits)));
            break;
        }
        default:
            return failure("unknown entry type " + std::to_string(type), start);
        }
    }
}

} // namespace tolvane::discovery
