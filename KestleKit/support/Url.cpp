#include "support/Url.hpp"

#include <cctype>
#include <memory>

#include <curl/curl.h>

namespace kestle {
namespace {

struct UrlHandleDeleter {
    void operator()(CURLU* h) const { curl_url_cleanup(h); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlHandleDeleter>;

struct CurlFree {
    void operator()(char* p) const { curl_free(p); }
};

UrlHandle makeHandle() {
    return UrlHandle(curl_url());
}

std::optional<std::string> getPart(CURLU* h, CURLUPart part, unsigned flags = 0) {
    char* out = nullptr;
    if (curl_url_get(h, part, &out, flags) != CURLUE_OK || out == nullptr) {
        return std::nullopt;
    }
    std::unique_ptr<char, CurlFree> owned(out);
    return std::string(out);
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters a URL may hold as written: no controls, no spaces, no bare '%'.
bool hasOnlyUrlCharacters(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20 || c == 0x7f) {
            return false;
        }
        if (c == '%' && (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2]))) {
            return false;
        }
        switch (c) {
        case '"':
        case '<':
        case '>':
        case '\\':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
            return false;
        default:
            break;
        }
    }
    return true;
}

// RFC 3986: scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) followed by ':'.
bool hasScheme(std::string_view text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    for (size_t i = 1; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == ':') {
            return true;
        }
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return false;
}

constexpr unsigned kParseFlags = CURLU_NON_SUPPORT_SCHEME;

bool isHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

// Characters that may follow the authority unchanged (RFC 3986 path, query and
// fragment characters; percent escapes were checked already).
bool isPathCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("-._~!$&'()*+,;=:@/?#%").find(c) != std::string_view::npos;
}

// Plain http(s) URLs with a name for a host, as catalogs and feeds write them, are
// accepted here without a round through libcurl: several thousand of them arrive
// with every check. Anything else takes the full parser.
bool isPlainWebUrl(std::string_view text) {
    size_t at = 0;
    if (text.starts_with("https://")) {
        at = 8;
    } else if (text.starts_with("http://")) {
        at = 7;
    } else {
        return false;
    }
    size_t hostStart = at;
    while (at < text.size() && isHostCharacter(text[at])) {
        ++at;
    }
    if (at == hostStart || text[hostStart] == '.' || text[hostStart] == '-') {
        return false;
    }
    if (at < text.size() && text[at] == ':') {
        size_t portStart = ++at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
            ++at;
        }
        if (at == portStart || at - portStart > 5) {
            return false;
        }
    }
    if (at < text.size() && text[at] != '/') {
        return false;
    }
    for (; at < text.size(); ++at) {
        if (!isPathCharacter(text[at])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<Url> Url::parse(std::string_view text) {
    if (text.empty() || !hasOnlyUrlCharacters(text)) {
        return std::nullopt;
    }
    std::string owned(text);
    if (isPlainWebUrl(text)) {
        return Url(std::move(owned), true);
    }
    if (!hasScheme(text)) {
        // A relative reference: valid when it resolves against some base.
        auto h = makeHandle();
        if (!h ||
            curl_url_set(h.get(), CURLUPART_URL, "http://relative.invalid/", 0) != CURLUE_OK ||
            curl_url_set(h.get(), CURLUPART_URL, owned.c_str(), kParseFlags) != CURLUE_OK) {
            return std::nullopt;
        }
        return Url(std::move(owned), false);
    }
    auto h = makeHandle();
    if (!h || curl_url_set(h.get(), CURLUPART_URL, owned.c_str(), kParseFlags) != CURLUE_OK) {
        return std::nullopt;
    }
    return Url(std::move(owned), true);
}

Url Url::standardized() const {
    if (!absolute_) {
        return *this;
    }
    auto h = makeHandle();
    if (h && curl_url_set(h.get(), CURLUPART_URL, text_.c_str(), kParseFlags) == CURLUE_OK) {
        if (auto text = getPart(h.get(), CURLUPART_URL)) {
            return Url(std::move(*text), true);
        }
    }
    return *this;
}

Url Url::fromPath(std::string_view path) {
    auto h = makeHandle();
    std::string p(path);
    if (h && curl_url_set(h.get(), CURLUPART_SCHEME, "file", 0) == CURLUE_OK &&
        curl_url_set(h.get(), CURLUPART_PATH, p.c_str(), CURLU_URLENCODE) == CURLUE_OK) {
        if (auto text = getPart(h.get(), CURLUPART_URL)) {
            return Url(std::move(*text), true);
        }
    }
    return Url("file://" + p, true);
}

bool Url::isFile() const {
    return absolute_ && scheme() == "file";
}

bool Url::isRemote() const {
    if (!absolute_) {
        return false;
    }
    auto s = scheme();
    return s == "http" || s == "https";
}

std::string Url::scheme() const {
    if (!absolute_) {
        return {};
    }
    auto colon = text_.find(':');
    std::string s = text_.substr(0, colon);
    for (auto& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

std::string Url::host() const {
    if (!absolute_) {
        return {};
    }
    auto h = makeHandle();
    if (!h || curl_url_set(h.get(), CURLUPART_URL, text_.c_str(), kParseFlags) != CURLUE_OK) {
        return {};
    }
    return getPart(h.get(), CURLUPART_HOST).value_or("");
}

std::string Url::path() const {
    auto h = makeHandle();
    if (!h) {
        return {};
    }
    if (!absolute_) {
        // Decode the path of a relative reference through a throw-away base.
        if (curl_url_set(h.get(), CURLUPART_URL, "http://relative.invalid/", 0) != CURLUE_OK) {
            return {};
        }
    }
    if (curl_url_set(h.get(), CURLUPART_URL, text_.c_str(), kParseFlags) != CURLUE_OK) {
        return {};
    }
    return getPart(h.get(), CURLUPART_PATH, CURLU_URLDECODE).value_or("");
}

std::optional<Url> Url::resolved(const Url& base) const {
    if (absolute_) {
        return *this;
    }
    if (!base.absolute_) {
        return std::nullopt;
    }
    auto h = makeHandle();
    if (!h || curl_url_set(h.get(), CURLUPART_URL, base.text_.c_str(), kParseFlags) != CURLUE_OK ||
        curl_url_set(h.get(), CURLUPART_URL, text_.c_str(), kParseFlags) != CURLUE_OK) {
        return std::nullopt;
    }
    auto text = getPart(h.get(), CURLUPART_URL);
    if (!text) {
        return std::nullopt;
    }
    return Url(std::move(*text), true);
}

std::string Url::lastPathComponent() const {
    std::string p = path();
    while (p.size() > 1 && p.back() == '/') {
        p.pop_back();
    }
    auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

} // namespace kestle
