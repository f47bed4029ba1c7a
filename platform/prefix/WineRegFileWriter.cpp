#include "platform/prefix/WineRegFileWriter.h"

#include "platform/base/FileTime.h"
#include "platform/base/HexText.h"
#include "platform/prefix/RegFileSyntax.h"

#include <array>
#include <vector>

namespace tolvane::prefix {
namespace {

void appendDecimal(std::string& out, std::uint32_t value) {
    std::array<char, 10> digits{};
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        out.push_back(digits[--count]);
    }
}

bool hasBlock(const RegistryTree& tree, const RegNode* node) {
    return node->valueCount != 0 || node->childCount == 0 || node->isLink ||
           !tree.className(node).empty() || !tree.keptLines(node).empty();
}

void appendBlock(std::string& out, RegistryTree& tree, const RegNode* node, std::string_view path,
                 bool reencode) {
    out += "\n[";
    out += path;
    out += "] ";
    appendDecimal(out, unixSecondsFromFileTime(node->modified));
    out += "\n#time=";
    appendHexNumber(out, node->modified >> 32, 1);
    appendHexNumber(out, node->modified & 0xFFFFFFFFu, 8);
    out.push_back('\n');
    if (const std::string_view className = tree.className(node); !className.empty()) {
        out += "#class=\"";
        regfile::appendEscapedName(out, className, regfile::quoteSpecials);
        out += "\"\n";
    }
    if (node->isLink) {
        out += "#link\n";
    }
    for (const std::string_view line : tree.keptLines(node)) {
        out += line;
        out.push_back('\n');
    }
    for (std::uint32_t k = 0; k < node->valueCount; ++k) {
        const RegValue& value = node->values[k];
        if (value.fromFile && !reencode) {
            out += value.sourceView();
            out.push_back('\n');
        } else {
            regfile::appendValueLine(out, value.nameView(), value.type, tree.valueData(value));
        }
    }
}

} // namespace

std::string WineRegFileWriter::write(RegistryTree& tree, RegistryTree::Branch branch,
                                     std::string_view preamble, Options options) {
    std::string text;
    text.reserve(options.sizeHint + options.sizeHint / 16 + 4096);
    write(tree, branch, preamble, options, [&](std::string_view piece) { text += piece; });
    return text;
}

void WineRegFileWriter::write(RegistryTree& tree, RegistryTree::Branch branch,
                              std::string_view preamble, Options options, const Sink& sink) {
    constexpr std::size_t pieceSize = std::size_t{1} << 20;
    std::string out;
    out.reserve(pieceSize + 64 * 1024);
    out += preamble;

    // Depth-first without recursion: deep trees must not exhaust the stack.
    struct Frame {
        const RegNode* node;
        std::uint32_t nextChild;
        std::size_t pathLength;
    };
    std::vector<Frame> stack;
    std::string path;
    const RegNode* root = tree.branchRoot(branch);
    if (hasBlock(tree, root)) {
        appendBlock(out, tree, root, path, options.reencodeValues);
    }
    stack.push_back({root, 0, 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.nextChild == frame.node->childCount) {
            stack.pop_back();
            continue;
        }
        const RegNode* child = frame.node->children[frame.nextChild++];
        path.resize(frame.pathLength);
        if (frame.node != root) {
            path += "\\\\";
        }
        regfile::appendEscapedName(path, child->nameView(), regfile::keySpecials);
        if (hasBlock(tree, child)) {
            appendBlock(out, tree, child, path, options.reencodeValues);
            if (out.size() >= pieceSize) {
                sink(out);
                out.clear();
            }
        }
        stack.push_back({child, 0, path.size()});
    }
    sink(out);
}

std::string WineRegFileWriter::defaultPreamble(RegistryTree::Branch branch) {
    std::string preamble = "WINE REGISTRY Version 2\n;; All keys relative to ";
    switch (branch) {
    case RegistryTree::machineBranch:
        preamble += "REGISTRY\\\\Machine";
        break;
    case RegistryTree::userDefaultBranch:
        preamble += "REGISTRY\\\\User\\\\.Default";
        break;
    default:
        preamble += "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000";
        break;
    }
    preamble += "\n\n#arch=win64\n";
    return preamble;
}

} // namespace tolvane::prefix
