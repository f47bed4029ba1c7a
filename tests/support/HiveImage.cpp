#include "tests/support/HiveImage.h"

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
