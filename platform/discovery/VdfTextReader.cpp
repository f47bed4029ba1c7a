#include "platform/discovery/VdfTextReader.h"

#include <optional>
#include <string>

namespace tolvane::discovery {
namespace {

struct Token {
    enum class Kind { End, Text, Open, Close } kind = Kind::End;
    std::string text;
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    // The next token, or an error text.
    Result<Token> next() {
        skipBlanksAndComments();
        Token token;
        token.line = line_;
        if (at_ >= text_.size()) {
            return token;
        }
        const char c = text_[at_];
        if (c == '{' || c == '}') {
            ++at_;
            token.kind = c == '{' ? Token::Kind::Open : Token::Kind::Close;
            return token;
        }
        token.kind = Token::Kind::Text;
        if (c == '"') {
            ++at_;
            while (true) {
                if (at_ >= text_.size()) {
                    return makeError("unclosed quote that starts on line " +
                                     std::to_string(token.line));
                }
                const char d = text_[at_++];
                if (d == '"') {
                    break;
                }
                if (d == '\n') {
                    ++line_;
                }
                if (d == '\\' && at_ < text_.size()) {
                    const char e = text_[at_++];
                    switch (e) {
                    case 'n':
                        token.text += '\n';
                        break;
                    case 't':
                        token.text += '\t';
                        break;
                    case '\\':
                        token.text += '\\';
                        break;
                    case '"':
                        token.text += '"';
                        break;
                    default:
                        // Windows paths in older files keep single backslashes.
                        token.text += '\\';
                        token.text += e;
                        if (e == '\n') {
                            ++line_;
                        }
                    }
                    continue;
                }
                token.text += d;
            }
            return token;
        }
        while (at_ < text_.size()) {
            const char d = text_[at_];
            if (d == ' ' || d == '\t' || d == '\r' || d == '\n' || d == '"' || d == '{' ||
                d == '}') {
                break;
            }
            token.text += d;
            ++at_;
        }
        return token;
    }

private:
    void skipBlanksAndComments() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '\n') {
                ++line_;
                ++at_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++at_;
            } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
                while (at_ < text_.size() && text_[at_] != '\n') {
                    ++at_;
                }
            } else if (at_ == 0 && text_.substr(0, 3) == "\xEF\xBB\xBF") {
                at_ = 3;
            } else {
                return;
            }
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
};

bool isCondition(const Token& token) {
    return token.kind == Token::Kind::Text && token.text.size() >= 2 && token.text.front() == '[' &&
           token.text.back() == ']';
}

std::string atLine(int line) {
    return " on line " + std::to_string(line);
}

} // namespace

Result<VdfNode> VdfTextReader::read(std::string_view text) {
    Lexer lexer(text);
    VdfNode root = VdfNode::makeMap("");
    // The chain of open blocks. Only the innermost block gains children, so the pointers to
    // its ancestors stay valid.
    std::vector<VdfNode*> open{&root};
    std::optional<Token> pending;
    const auto nextToken = [&]() -> Result<Token> {
        if (pending) {
            Token token = std::move(*pending);
            pending.reset();
            return token;
        }
        return lexer.next();
    };
    while (true) {
        auto name = nextToken();
        if (!name) {
            return name.error();
        }
        if (isCondition(*name)) {
            continue;
        }
        if (name->kind == Token::Kind::End) {
            if (open.size() > 1) {
                return makeError("block \"" + open.back()->name() + "\" is not closed");
            }
            return root;
        }
        if (name->kind == Token::Kind::Close) {
            if (open.size() == 1) {
                return makeError("'}' without a block" + atLine(name->line));
            }
            open.pop_back();
            continue;
        }
        if (name->kind == Token::Kind::Open) {
            return makeError("'{' without a name" + atLine(name->line));
        }
        auto value = nextToken();
        if (!value) {
            return value.error();
        }
        if (value->kind == Token::Kind::Text) {
            open.back()->children().push_back(
                VdfNode::makeText(std::move(name->text), std::move(value->text)));
            // A condition may follow a value.
            auto after = nextToken();
            if (!after) {
                return after.error();
            }
            if (!isCondition(*after)) {
                pending = std::move(*after);
            }
        } else if (value->kind == Token::Kind::Open) {
            if (static_cast<int>(open.size()) > maxDepth) {
                return makeError("blocks nested deeper than " + std::to_string(maxDepth) +
                                 atLine(value->line));
            }
            auto& children = open.back()->children();
            children.push_back(VdfNode::makeMap(std::move(name->text)));
            open.push_back(&children.back());
        } else {
            return makeError("\"" + name->text + "\" has no value" + atLine(name->line));
        }
    }
}

} // namespace tolvane::discovery
