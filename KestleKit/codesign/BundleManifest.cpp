#include "codesign/BundleManifest.hpp"

#include <algorithm>
#include <charconv>
#include <map>

namespace kestle {
namespace {

constexpr std::string_view header = "kestle-code-manifest 1";
constexpr char hexDigits[] = "0123456789ABCDEF";
constexpr char lowerHex[] = "0123456789abcdef";

bool needsEscape(unsigned char c) {
    return c <= 0x20 || c >= 0x7f || c == '%';
}

void appendEscaped(std::string& out, std::string_view value) {
    for (unsigned char c : value) {
        if (needsEscape(c)) {
            out += '%';
            out += hexDigits[c >> 4];
            out += hexDigits[c & 0xf];
        } else {
            out += static_cast<char>(c);
        }
    }
}

int hexValue(char c, const char* digits) {
    for (int i = 0; i < 16; ++i) {
        if (digits[i] == c) {
            return i;
        }
    }
    return -1;
}

// Only the one spelling encode() produces is accepted; NUL never is.
std::optional<std::string> unescape(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c != '%') {
            if (needsEscape(c)) {
                return std::nullopt;
            }
            out += static_cast<char>(c);
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        int high = hexValue(text[i + 1], hexDigits);
        int low = hexValue(text[i + 2], hexDigits);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        unsigned char decoded = static_cast<unsigned char>(high << 4 | low);
        if (decoded == 0 || !needsEscape(decoded)) {
            return std::nullopt;
        }
        out += static_cast<char>(decoded);
        i += 2;
    }
    return out;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

bool isSafePath(std::string_view path) {
    for (auto component : split(path, '/')) {
        if (component.empty() || component == "." || component == "..") {
            return false;
        }
    }
    std::string signatureFolder =
        std::string(CodeSignatureFiles::contents) + "/" + std::string(CodeSignatureFiles::folder);
    return path != signatureFolder && !path.starts_with(signatureFolder + "/");
}

std::optional<uint64_t> parseSize(std::string_view text) {
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    bool canonical = !text.empty() && (text.size() == 1 || text[0] != '0');
    if (error != std::errc() || end != text.data() + text.size() || !canonical) {
        return std::nullopt;
    }
    return value;
}

std::optional<BundleManifest::Digest> parseDigest(std::string_view text) {
    BundleManifest::Digest digest{};
    if (text.size() != digest.size() * 2) {
        return std::nullopt;
    }
    for (size_t i = 0; i < digest.size(); ++i) {
        int high = hexValue(text[2 * i], lowerHex);
        int low = hexValue(text[2 * i + 1], lowerHex);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        digest[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return digest;
}

std::optional<BundleManifest::Entry> parseEntry(std::string_view line) {
    using Type = BundleManifest::Entry::Type;
    auto fields = split(line, ' ');
    BundleManifest::Entry entry;
    auto path = fields.size() >= 2 ? unescape(fields[1]) : std::nullopt;
    if (!path || !isSafePath(*path)) {
        return std::nullopt;
    }
    entry.path = std::move(*path);
    if (fields[0] == "folder" && fields.size() == 2) {
        entry.type = Type::folder;
        return entry;
    }
    if (fields[0] == "link" && fields.size() == 3) {
        auto target = unescape(fields[2]);
        if (!target) {
            return std::nullopt;
        }
        entry.type = Type::link;
        entry.target = std::move(*target);
        return entry;
    }
    if (fields[0] == "file" && fields.size() == 5 && (fields[2] == "x" || fields[2] == "-")) {
        auto size = parseSize(fields[3]);
        auto digest = parseDigest(fields[4]);
        if (!size || !digest) {
            return std::nullopt;
        }
        entry.type = Type::file;
        entry.executable = fields[2] == "x";
        entry.size = *size;
        entry.sha256 = *digest;
        return entry;
    }
    return std::nullopt;
}

std::optional<std::string> headerValue(std::string_view line, std::string_view key) {
    if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ' ') {
        return std::nullopt;
    }
    return unescape(line.substr(key.size() + 1));
}

} // namespace

std::string BundleManifest::encode() const {
    std::vector<const Entry*> sorted;
    for (const auto& entry : entries) {
        sorted.push_back(&entry);
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry* a, const Entry* b) { return a->path < b->path; });

    std::string out;
    out.reserve(64 + entries.size() * 128);
    out.append(header).append("\nidentifier ");
    appendEscaped(out, identifier);
    out += "\nteam ";
    appendEscaped(out, team);
    out += '\n';
    for (const Entry* entry : sorted) {
        switch (entry->type) {
        case Entry::Type::folder:
            out += "folder ";
            appendEscaped(out, entry->path);
            break;
        case Entry::Type::link:
            out += "link ";
            appendEscaped(out, entry->path);
            out += ' ';
            appendEscaped(out, entry->target);
            break;
        case Entry::Type::file:
            out += "file ";
            appendEscaped(out, entry->path);
            out += entry->executable ? " x " : " - ";
            out += std::to_string(entry->size);
            out += ' ';
            for (uint8_t byte : entry->sha256) {
                out += lowerHex[byte >> 4];
                out += lowerHex[byte & 0xf];
            }
            break;
        }
        out += '\n';
    }
    return out;
}

std::optional<BundleManifest> BundleManifest::parse(std::string_view text) {
    if (!text.ends_with('\n')) {
        return std::nullopt;
    }
    auto lines = split(text.substr(0, text.size() - 1), '\n');
    if (lines.size() < 3 || lines[0] != header) {
        return std::nullopt;
    }
    BundleManifest manifest;
    auto identifier = headerValue(lines[1], "identifier");
    auto team = headerValue(lines[2], "team");
    if (!identifier || !team) {
        return std::nullopt;
    }
    manifest.identifier = std::move(*identifier);
    manifest.team = std::move(*team);
    manifest.entries.reserve(lines.size() - 3);
    for (size_t i = 3; i < lines.size(); ++i) {
        auto entry = parseEntry(lines[i]);
        if (!entry || (!manifest.entries.empty() && manifest.entries.back().path >= entry->path)) {
            return std::nullopt;
        }
        manifest.entries.push_back(std::move(*entry));
    }
    return manifest;
}

std::optional<std::string> BundleManifest::escapingLink(const std::vector<Entry>& entries) {
    std::map<std::string, const std::string*, std::less<>> links;
    for (const auto& entry : entries) {
        if (entry.type == Entry::Type::link) {
            links.emplace(entry.path, &entry.target);
        }
    }
    // Resolves the way the kernel would, following the bundle's own links, so that
    // "../.." after a link to a shallower folder is judged where it really lands. Like
    // the kernel, at most 40 links per resolution; a loop counts as leaving.
    auto staysInside = [&](auto& self, std::vector<std::string>& stack, std::string_view target,
                           int& hopsLeft) -> bool {
        if (target.starts_with('/') || hopsLeft-- <= 0) {
            return false;
        }
        for (auto component : split(target, '/')) {
            if (component.empty() || component == ".") {
                continue;
            }
            if (component == "..") {
                if (stack.empty()) {
                    return false;
                }
                stack.pop_back();
                continue;
            }
            stack.emplace_back(component);
            std::string joined;
            for (const auto& part : stack) {
                joined += joined.empty() ? "" : "/";
                joined += part;
            }
            auto link = links.find(joined);
            if (link != links.end()) {
                stack.pop_back();
                if (!self(self, stack, *link->second, hopsLeft)) {
                    return false;
                }
            }
        }
        return true;
    };
    for (const auto& [path, target] : links) {
        auto stack = std::vector<std::string>();
        for (auto component : split(path, '/')) {
            stack.emplace_back(component);
        }
        stack.pop_back();
        int hopsLeft = 40;
        if (!staysInside(staysInside, stack, *target, hopsLeft)) {
            return path;
        }
    }
    return std::nullopt;
}

} // namespace kestle
