#include "tests/support/HiveImage.h"

#include "platform/base/AsciiText.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace tolvane::test {
namespace {

constexpr std::size_t blockSize = 4096;
constexpr std::uint32_t noCell = 0xFFFFFFFFu;

void put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint32_t get32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

} // namespace

std::string HiveImage::empty(std::string_view rootName) {
    std::string hive(2 * blockSize, '\0');
    // Cells are addressed from the start of the first hbin; they sit 0x20 bytes into it.
    const std::uint32_t rootCell = 0x20;
    const std::size_t nkSize = (4 + 76 + rootName.size() + 7) & ~std::size_t{7};
    const auto skCell = static_cast<std::uint32_t>(rootCell + nkSize);
    const std::size_t descriptorSize = 20;
    const std::size_t skSize = (4 + 20 + descriptorSize + 7) & ~std::size_t{7};
    const auto freeCell = static_cast<std::uint32_t>(skCell + skSize);

    // Base block.
    hive.replace(0, 4, "regf");
    put32(hive, 20, 1); // format version 1.5
    put32(hive, 24, 5);
    put32(hive, 28, 0); // primary file
    put32(hive, 32, 1); // direct memory load
    put32(hive, 36, rootCell);
    put32(hive, 40, blockSize); // hive bins data size
    put32(hive, 44, 1);         // clustering factor
    setSequenceNumbers(hive, 1, 1);

    // The hive bin.
    const std::size_t bin = blockSize;
    hive.replace(bin, 4, "hbin");
    put32(hive, bin + 4, 0); // offset from the first bin
    put32(hive, bin + 8, blockSize);

    // Root key: allocated cells have a negative size.
    const std::size_t nk = bin + rootCell;
    put32(hive, nk, static_cast<std::uint32_t>(-static_cast<std::int32_t>(nkSize)));
    hive.replace(nk + 4, 2, "nk");
    put16(hive, nk + 6, 0x2C); // hive entry, no delete, ASCII name
    put32(hive, nk + 20, 0);   // parent: none
    put32(hive, nk + 32, noCell);
    put32(hive, nk + 36, noCell);
    put32(hive, nk + 44, noCell);
    put32(hive, nk + 48, skCell);
    put32(hive, nk + 52, noCell);
    put16(hive, nk + 76, static_cast<std::uint16_t>(rootName.size()));
    hive.replace(nk + 80, rootName.size(), rootName);

    // Its security cell, the only one: a list of itself, used once.
    const std::size_t sk = bin + skCell;
    put32(hive, sk, static_cast<std::uint32_t>(-static_cast<std::int32_t>(skSize)));
    hive.replace(sk + 4, 2, "sk");
    put32(hive, sk + 8, skCell);
    put32(hive, sk + 12, skCell);
    put32(hive, sk + 16, 1);
    put32(hive, sk + 20, descriptorSize);
    // Revision 1, control SE_SELF_RELATIVE | SE_DACL_PRESENT with a null DACL: everyone.
    hive[sk + 24] = 1;
    put16(hive, sk + 26, 0x8004);

    // The rest of the bin is one free cell.
    put32(hive, bin + freeCell, static_cast<std::uint32_t>(blockSize - freeCell));
    return hive;
}

void HiveImage::setSequenceNumbers(std::string& hive, std::uint32_t primary,
                                   std::uint32_t secondary) {
    put32(hive, 4, primary);
    put32(hive, 8, secondary);
    // The XOR of the base block's first 127 double words; 0 and ~0 are not used.
    std::uint32_t checksum = 0;
    for (std::size_t at = 0; at < 508; at += 4) {
        checksum ^= get32(hive, at);
    }
    if (checksum == 0) {
        checksum = 1;
    } else if (checksum == 0xFFFFFFFFu) {
        checksum = 0xFFFFFFFEu;
    }
    put32(hive, 508, checksum);
}

HiveImage::Key& HiveImage::Key::child(std::string_view name) {
    const std::string folded = asciiLower(name);
    if (const auto found = byName_.find(folded); found != byName_.end()) {
        return *found->second;
    }
    children_.push_back(std::make_unique<Key>(std::string(name)));
    byName_.emplace(folded, children_.back().get());
    return *children_.back();
}

void HiveImage::Key::set(std::string_view name, std::uint32_t type, std::string bytes) {
    values_.push_back({std::string(name), type, std::move(bytes)});
}

namespace {

// The cells of one hbin, addressed from its start.
class CellWriter {
public:
    CellWriter() : bytes_(0x20, '\0') {}

    std::uint32_t allocate(std::size_t size) {
        const std::size_t cell = (size + 4 + 7) & ~std::size_t{7};
        const auto offset = static_cast<std::uint32_t>(bytes_.size());
        bytes_.resize(bytes_.size() + cell, '\0');
        put32(bytes_, offset, static_cast<std::uint32_t>(-static_cast<std::int32_t>(cell)));
        return offset;
    }
    std::string& bytes() { return bytes_; }

private:
    std::string bytes_;
};

bool upperLess(const std::string& left, const std::string& right) {
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(), [&](char a, char b) {
            return static_cast<unsigned char>(upper(a)) < static_cast<unsigned char>(upper(b));
        });
}

} // namespace

std::string HiveImage::build(const Key& root) {
    CellWriter cells;
    std::string& out = cells.bytes();
    const std::size_t descriptorSize = 20;
    const std::uint32_t sk = cells.allocate(20 + descriptorSize);
    out.replace(sk + 4, 2, "sk");
    put32(out, sk + 8, sk);
    put32(out, sk + 12, sk);
    put32(out, sk + 20, descriptorSize);
    out[sk + 24] = 1;
    put16(out, sk + 26, 0x8004);
    std::uint32_t keys = 0;

    const auto writeKey = [&](const auto& self, const Key& key, std::uint32_t parent,
                              bool isRoot) -> std::uint32_t {
        ++keys;
        const std::uint32_t nk = cells.allocate(76 + key.name_.size());
        std::uint32_t maxValueName = 0;
        std::uint32_t maxValueData = 0;
        std::vector<std::uint32_t> valueCells;
        for (const auto& value : key.values_) {
            const std::uint32_t vk = cells.allocate(20 + value.name.size());
            out.replace(vk + 4, 2, "vk");
            put16(out, vk + 6, static_cast<std::uint16_t>(value.name.size()));
            const auto length = static_cast<std::uint32_t>(value.bytes.size());
            if (length <= 4) {
                put32(out, vk + 8, length | 0x80000000u);
                out.replace(vk + 12, length, value.bytes);
            } else {
                const std::uint32_t data = cells.allocate(length);
                out.replace(data + 4, length, value.bytes);
                put32(out, vk + 8, length);
                put32(out, vk + 12, data);
            }
            put32(out, vk + 16, value.type);
            put16(out, vk + 20, value.name.empty() ? 0 : 1); // ASCII name
            out.replace(vk + 24, value.name.size(), value.name);
            valueCells.push_back(vk);
            maxValueName =
                std::max(maxValueName, static_cast<std::uint32_t>(value.name.size() * 2));
            maxValueData = std::max(maxValueData, length);
        }
        std::uint32_t valueList = noCell;
        if (!valueCells.empty()) {
            valueList = cells.allocate(4 * valueCells.size());
            for (std::size_t i = 0; i < valueCells.size(); ++i) {
                put32(out, valueList + 4 + 4 * i, valueCells[i]);
            }
        }
        std::vector<const Key*> children;
        for (const auto& child : key.children_) {
            children.push_back(child.get());
        }
        std::sort(children.begin(), children.end(),
                  [](const Key* a, const Key* b) { return upperLess(a->name_, b->name_); });
        std::uint32_t maxChildName = 0;
        std::vector<std::uint32_t> childCells;
        for (const Key* child : children) {
            childCells.push_back(self(self, *child, nk, false));
            maxChildName =
                std::max(maxChildName, static_cast<std::uint32_t>(child->name_.size() * 2));
        }
        std::uint32_t list = noCell;
        if (!childCells.empty()) {
            list = cells.allocate(4 + 8 * childCells.size());
            out.replace(list + 4, 2, "lf");
            put16(out, list + 6, static_cast<std::uint16_t>(childCells.size()));
            for (std::size_t i = 0; i < childCells.size(); ++i) {
                put32(out, list + 8 + 8 * i, childCells[i]);
                out.replace(list + 12 + 8 * i, std::min<std::size_t>(4, children[i]->name_.size()),
                            children[i]->name_.substr(0, 4));
            }
        }
        out.replace(nk + 4, 2, "nk");
        put16(out, nk + 6, isRoot ? 0x2C : 0x20);
        put32(out, nk + 20, parent);
        put32(out, nk + 24, static_cast<std::uint32_t>(childCells.size()));
        put32(out, nk + 32, list);
        put32(out, nk + 36, noCell);
        put32(out, nk + 40, static_cast<std::uint32_t>(valueCells.size()));
        put32(out, nk + 44, valueList);
        put32(out, nk + 48, sk);
        put32(out, nk + 52, noCell);
        put32(out, nk + 56, maxChildName);
        put32(out, nk + 64, maxValueName);
        put32(out, nk + 68, maxValueData);
        put16(out, nk + 76, static_cast<std::uint16_t>(key.name_.size()));
        out.replace(nk + 80, key.name_.size(), key.name_);
        return nk;
    };
    const std::uint32_t rootCell = writeKey(writeKey, root, 0, true);
    put32(out, sk + 16, keys);

    // The bin ends on a 4 KB boundary with a free cell.
    const std::size_t used = out.size();
    std::size_t total = (used + blockSize - 1) / blockSize * blockSize;
    if (total - used != 0 && total - used < 8) {
        total += blockSize;
    }
    out.resize(total, '\0');
    if (total > used) {
        put32(out, used, static_cast<std::uint32_t>(total - used));
    }
    out.replace(0, 4, "hbin");
    put32(out, 8, static_cast<std::uint32_t>(total));

    std::string hive(blockSize, '\0');
    hive.replace(0, 4, "regf");
    put32(hive, 20, 1);
    put32(hive, 24, 5);
    put32(hive, 32, 1);
    put32(hive, 36, rootCell);
    put32(hive, 40, static_cast<std::uint32_t>(total));
    put32(hive, 44, 1);
    setSequenceNumbers(hive, 1, 1);
    return hive + out;
}

Result<void> HiveImage::write(const std::filesystem::path& file, std::string_view rootName) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const std::string bytes = empty(rootName);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        return makeError(file.string() + ": cannot write the hive");
    }
    return {};
}

} // namespace tolvane::test
