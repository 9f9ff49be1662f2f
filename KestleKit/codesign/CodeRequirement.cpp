#include "codesign/CodeRequirement.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kestle {
namespace {

struct Token {
    enum class Kind { word, string, punctuation };
    Kind kind;
    std::string_view text;
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isPunctuation(char c) {
    return c == '[' || c == ']' || c == '=';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::optional<std::vector<Token>> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (isSpace(c)) {
            ++i;
        } else if (isPunctuation(c)) {
            tokens.push_back({Token::Kind::punctuation, text.substr(i, 1)});
            ++i;
        } else if (c == '"') {
            size_t end = text.find('"', i + 1);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
            tokens.push_back({Token::Kind::string, text.substr(i + 1, end - i - 1)});
            i = end + 1;
        } else {
            size_t start = i;
            while (i < text.size() && !isSpace(text[i]) && !isPunctuation(text[i]) &&
                   text[i] != '"') {
                ++i;
            }
            tokens.push_back({Token::Kind::word, text.substr(start, i - start)});
        }
    }
    return tokens;
}

bool isOid(std::string_view text) {
    size_t arcs = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find('.', start), text.size());
        auto arc = text.substr(start, end - start);
        if (arc.empty() || !std::all_of(arc.begin(), arc.end(), isDigit)) {
            return false;
        }
        ++arcs;
        start = end + 1;
    }
    return arcs >= 2;
}

bool isKey(std::string_view key) {
    if (key.starts_with("field.")) {
        return isOid(key.substr(6));
    }
    if (key.starts_with("subject.")) {
        auto name = key.substr(8);
        return !name.empty() && std::all_of(name.begin(), name.end(), isLetter);
    }
    return false;
}

std::optional<int> certificateIndex(std::string_view text) {
    if (text == "leaf") {
        return 0;
    }
    if (text == "root" || text == "anchor") {
        return -1;
    }
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::optional<CodeRequirement> requirement() {
        CodeRequirement result;
        do {
            auto parsed = clause();
            if (!parsed) {
                return std::nullopt;
            }
            result.clauses.push_back(std::move(*parsed));
        } while (accept(Token::Kind::word, "and"));
        if (position_ != tokens_.size()) {
            return std::nullopt;
        }
        return result;
    }

private:
    using Clause = CodeRequirement::Clause;

    std::optional<Clause> clause() {
        Clause result;
        if (accept(Token::Kind::word, "identifier")) {
            accept(Token::Kind::punctuation, "=");
            auto value = take(Token::Kind::string);
            if (!value) {
                return std::nullopt;
            }
            result.kind = Clause::Kind::identifier;
            result.value = *value;
            return result;
        }
        if (accept(Token::Kind::word, "anchor")) {
            if (!accept(Token::Kind::word, "apple") || !accept(Token::Kind::word, "generic")) {
                return std::nullopt;
            }
            result.kind = Clause::Kind::anchorAppleGeneric;
            return result;
        }
        if (accept(Token::Kind::word, "notarized")) {
            result.kind = Clause::Kind::notarized;
            return result;
        }
        if (accept(Token::Kind::word, "certificate") || accept(Token::Kind::word, "cert")) {
            auto reference = take(Token::Kind::word);
            auto index = reference ? certificateIndex(*reference) : std::nullopt;
            if (!index || !accept(Token::Kind::punctuation, "[")) {
                return std::nullopt;
            }
            auto key = take(Token::Kind::word);
            if (!key || !isKey(*key) || !accept(Token::Kind::punctuation, "]")) {
                return std::nullopt;
            }
            result.kind = Clause::Kind::certificate;
            result.certificate = *index;
            result.key = *key;
            if (accept(Token::Kind::word, "exists")) {
                result.exists = true;
                return result;
            }
            auto value =
                accept(Token::Kind::punctuation, "=") ? take(Token::Kind::string) : std::nullopt;
            if (!value) {
                return std::nullopt;
            }
            result.value = *value;
            return result;
        }
        return std::nullopt;
    }

    bool accept(Token::Kind kind, std::string_view text) {
        if (position_ < tokens_.size() && tokens_[position_].kind == kind &&
            tokens_[position_].text == text) {
            ++position_;
            return true;
        }
        return false;
    }

    std::optional<std::string_view> take(Token::Kind kind) {
        if (position_ < tokens_.size() && tokens_[position_].kind == kind) {
            return tokens_[position_++].text;
        }
        return std::nullopt;
    }

    std::vector<Token> tokens_;
    size_t position_ = 0;
};

} // namespace

std::optional<CodeRequirement> CodeRequirement::parse(std::string_view text) {
    auto tokens = tokenize(text);
    if (!tokens) {
        return std::nullopt;
    }
    return Parser(std::move(*tokens)).requirement();
}

} // namespace kestle
