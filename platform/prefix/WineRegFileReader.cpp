#include "platform/prefix/WineRegFileReader.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/FileTime.h"
#include "platform/base/HexText.h"
#include "platform/prefix/RegFileSyntax.h"
#include "platform/prefix/UnitText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane::prefix {
namespace {

constexpr std::string_view headerLine = "WINE REGISTRY Version 2";

class Parser {
public:
    Parser(RegistryTree& tree, RegistryTree::Branch branch, std::string_view text,
           const std::string& fileName)
        : tree_(tree), branchRoot_(tree.branchRoot(branch)), text_(text), fileName_(fileName),
          loadTime_(RegistryTree::now()) {}

    Result<RegFileHeader> run();

private:
    Error fail(std::string_view reason) const {
        return makeError(fileName_ + ":" + std::to_string(lineNumber_) + ": " +
                         std::string(reason));
    }
    // The next line without its newline; false at the end of the text.
    bool nextLine(std::string_view& line);
    const char* parseKeyLine(std::string_view line);
    const char* parsePath(std::string_view line, std::size_t& pos);
    const char* parseValue(std::string_view line);
    const char* parseOption(std::string_view line);
    std::string_view storeUnits(const std::u16string& units);

    RegistryTree& tree_;
    RegNode* branchRoot_;
    std::string_view text_;
    const std::string& fileName_;
    std::uint64_t loadTime_;
    std::size_t pos_ = 0;
    std::size_t lineNumber_ = 0;
    bool lastLineComplete_ = true;

    RegNode* current_ = nullptr;
    // The keys of the previous key line, root first: consecutive blocks share most of a path.
    std::vector<RegNode*> pathNodes_;
    std::vector<std::string_view> elements_;
    std::u16string scratch_;
};

bool Parser::nextLine(std::string_view& line) {
    if (pos_ >= text_.size()) {
        return false;
    }
    const char* start = text_.data() + pos_;
    const auto* newline = static_cast<const char*>(std::memchr(start, '\n', text_.size() - pos_));
    std::size_t length;
    if (newline == nullptr) {
        length = text_.size() - pos_;
        lastLineComplete_ = false;
        pos_ = text_.size();
    } else {
        length = static_cast<std::size_t>(newline - start);
        pos_ += length + 1;
    }
    line = std::string_view(start, length);
    ++lineNumber_;
    return true;
}

std::string_view Parser::storeUnits(const std::u16string& units) {
    return tree_.arena().copy(unittext::fromUtf16(units));
}

const char* Parser::parsePath(std::string_view line, std::size_t& pos) {
    elements_.clear();
    // Most paths are plain ASCII whose only escape is the doubled backslash between elements:
    // their elements stay views of the file.
    std::size_t start = pos;
    for (std::size_t k = pos; k < line.size(); ++k) {
        const char c = line[k];
        if (c == ']') {
            if (k > start) {
                elements_.push_back(line.substr(start, k - start));
            }
            pos = k + 1;
            return nullptr;
        }
        if (static_cast<unsigned char>(c) >= 0x80 ||
            (c == '\\' && (k + 1 >= line.size() || line[k + 1] != '\\'))) {
            break;
        }
        if (c == '\\') {
            if (k > start) {
                elements_.push_back(line.substr(start, k - start));
            }
            ++k;
            start = k + 1;
        }
    }
    // Escapes or non-ASCII text: decode the whole path, then split it at backslashes.
    elements_.clear();
    scratch_.clear();
    std::size_t at = pos;
    if (const char* reason = regfile::decodeString(line, at, ']', &scratch_)) {
        return std::strcmp(reason, "missing closing quote") == 0 ? "key line without closing ]"
                                                                 : reason;
    }
    pos = at;
    std::size_t begin = 0;
    while (begin <= scratch_.size()) {
        std::size_t end = scratch_.find(u'\\', begin);
        if (end == std::u16string::npos) {
            end = scratch_.size();
        }
        if (end > begin) {
            elements_.push_back(tree_.arena().copy(
                unittext::fromUtf16(std::u16string_view(scratch_).substr(begin, end - begin))));
        }
        begin = end + 1;
    }
    return nullptr;
}

const char* Parser::parseKeyLine(std::string_view line) {
    std::size_t pos = 1;
    if (const char* reason = parsePath(line, pos)) {
        return reason;
    }
    std::uint64_t modified = loadTime_;
    if (pos < line.size()) {
        if (line[pos] != ' ') {
            return "text after the key name";
        }
        while (pos < line.size() && line[pos] == ' ') {
            ++pos;
        }
        std::uint64_t seconds = 0;
        const std::size_t first = pos;
        while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
            seconds = seconds * 10 + static_cast<unsigned>(line[pos] - '0');
            if (seconds > std::numeric_limits<std::uint32_t>::max()) {
                return "bad key time";
            }
            ++pos;
        }
        if (pos == first || pos != line.size()) {
            return "bad key time";
        }
        modified = fileTimeFromUnixSeconds(seconds);
    }
    std::size_t shared = 0;
    while (shared < elements_.size() && shared < pathNodes_.size() &&
           pathNodes_[shared]->nameView() == elements_[shared]) {
        ++shared;
    }
    pathNodes_.resize(shared);
    RegNode* node = shared == 0 ? branchRoot_ : pathNodes_.back();
    for (std::size_t k = shared; k < elements_.size(); ++k) {
        bool created = false;
        node = tree_.findOrAddChild(node, elements_[k], modified, created);
        pathNodes_.push_back(node);
    }
    node->modified = modified;
    current_ = node;
    return nullptr;
}

const char* Parser::parseValue(std::string_view line) {
    const std::size_t lineStart = static_cast<std::size_t>(line.data() - text_.data());
    std::string_view name;
    std::size_t pos;
    if (line[0] == '@') {
        pos = 1;
    } else {
        pos = 1;
        std::size_t k = 1;
        while (k < line.size() && line[k] != '"' && line[k] != '\\' &&
               static_cast<unsigned char>(line[k]) < 0x80) {
            ++k;
        }
        if (k < line.size() && line[k] == '"') {
            name = line.substr(1, k - 1);
            pos = k + 1;
        } else {
            scratch_.clear();
            if (const char* reason = regfile::decodeString(line, pos, '"', &scratch_)) {
                return reason;
            }
            name = storeUnits(scratch_);
        }
    }
    if (pos >= line.size() || line[pos] != '=') {
        return "value name without '='";
    }
    ++pos;
    regfile::DataSyntax syntax;
    if (const char* reason = regfile::parseDataTag(line.substr(pos), syntax)) {
        return reason;
    }
    std::size_t end = lineStart + line.size();
    if (syntax.form == regfile::DataForm::hex) {
        std::string_view last = line;
        while (regfile::continuesOnNextLine(last)) {
            if (!nextLine(last)) {
                return "hex data ends in a continuation mark";
            }
            end = static_cast<std::size_t>(last.data() - text_.data()) + last.size();
        }
    }
    const std::string_view source = text_.substr(lineStart, end - lineStart);
    if (source.size() > std::numeric_limits<std::uint32_t>::max()) {
        return "value too large";
    }
    if (const char* reason = regfile::decodeData(source.substr(pos), syntax, nullptr)) {
        return reason;
    }
    RegValue value;
    value.name = name.data();
    value.nameLength = static_cast<std::uint32_t>(name.size());
    value.type = syntax.type;
    value.source = source.data();
    value.sourceLength = static_cast<std::uint32_t>(source.size());
    value.dataOffset = static_cast<std::uint32_t>(pos);
    value.fromFile = true;
    tree_.putValue(current_, value);
    return nullptr;
}

const char* Parser::parseOption(std::string_view line) {
    if (line.starts_with("#time=")) {
        std::uint64_t time = 0;
        std::size_t pos = 6;
        while (pos < line.size() && isHexDigit(line[pos])) {
            if (pos - 6 == 16) {
                return "bad #time";
            }
            time = time * 16 + static_cast<unsigned>(hexDigitValue(line[pos]));
            ++pos;
        }
        if (pos == 6 || pos != line.size()) {
            return "bad #time";
        }
        current_->modified = time;
        return nullptr;
    }
    if (line.starts_with("#class=\"")) {
        std::size_t pos = 8;
        scratch_.clear();
        if (const char* reason = regfile::decodeString(line, pos, '"', &scratch_)) {
            return reason;
        }
        if (pos != line.size()) {
            return "text after the class";
        }
        tree_.setClassName(current_, storeUnits(scratch_));
        return nullptr;
    }
    if (line == "#link") {
        current_->isLink = true;
        return nullptr;
    }
    tree_.keepLine(current_, line);
    return nullptr;
}

Result<RegFileHeader> Parser::run() {
    RegFileHeader header;
    header.fileSize = text_.size();
    if (text_.empty()) {
        lineNumber_ = 1;
        return fail("empty file, not a Wine registry file");
    }
    std::string_view line;
    nextLine(line);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line != headerLine) {
        return fail("not a Wine registry file (no \"WINE REGISTRY Version 2\" header)");
    }
    if (!lastLineComplete_) {
        return fail("truncated line at the end of the file");
    }
    std::size_t preambleEnd = text_.size();
    while (nextLine(line)) {
        if (!lastLineComplete_) {
            return fail("truncated line at the end of the file");
        }
        if (line.empty()) {
            continue;
        }
        const char first = line[0];
        if (first == '[') {
            if (current_ == nullptr) {
                preambleEnd = static_cast<std::size_t>(line.data() - text_.data());
            }
            if (const char* reason = parseKeyLine(line)) {
                return fail(reason);
            }
            continue;
        }
        if (current_ == nullptr) {
            if (line.starts_with("#arch=")) {
                header.arch = std::string(line.substr(6));
                if (header.arch != "win32" && header.arch != "win64") {
                    return fail("unknown architecture \"" + header.arch + "\"");
                }
            } else if (first == '"' || first == '@') {
                return fail("value before the first key");
            }
            continue;
        }
        const char* reason = nullptr;
        if (first == '"' || first == '@') {
            reason = parseValue(line);
        } else {
            reason = first == '#' ? parseOption(line) : (tree_.keepLine(current_, line), nullptr);
        }
        if (reason == nullptr && !lastLineComplete_) {
            reason = "truncated line at the end of the file";
        }
        if (reason != nullptr) {
            return fail(reason);
        }
    }
    std::string_view preamble = text_.substr(0, preambleEnd);
    // The blank line before the first key belongs to that key's block.
    if (preambleEnd != text_.size() && preamble.ends_with("\n\n")) {
        preamble.remove_suffix(1);
    }
    header.preamble = std::string(preamble);
    return header;
}

} // namespace

Result<RegFileHeader> WineRegFileReader::parse(RegistryTree& tree, RegistryTree::Branch branch,
                                               std::string_view text, const std::string& fileName) {
    Parser parser(tree, branch, text, fileName);
    return parser.run();
}

Result<RegFileHeader> WineRegFileReader::load(RegistryTree& tree, RegistryTree::Branch branch,
                                              const std::filesystem::path& file) {
    const std::string name = file.string();
    auto opened = FileDescriptor::openRegularFile(file, maxFileSize);
    if (!opened) {
        return opened.error();
    }
    const FileDescriptor& in = opened.value();
    // Taken before the read: a change made while reading shows as a changed stamp later.
    const FileStamp stamp = FileStamp::ofDescriptor(in.get());
    const auto size = static_cast<std::size_t>(stamp.size);
    // One read of the whole file; the tree keeps the buffer.
    MappedMemory buffer(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(in.get(), buffer.chars() + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return makeError(name + ": cannot read: " +
                             (got < 0 ? std::strerror(errno) : "file shrank while reading"));
        }
        done += static_cast<std::size_t>(got);
    }
    const std::string_view text(buffer.chars(), size);
    tree.keepBuffer(std::move(buffer));
    auto header = parse(tree, branch, text, name);
    if (header) {
        header->stamp = stamp;
    }
    return header;
}

} // namespace tolvane::prefix
