#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestle {

// A URL as the product passes it around: either absolute (it has a scheme) or a
// relative reference waiting for a base. Parsing and resolution go through
// libcurl's URL API, so what is accepted here is what the transfer code can use.
class Url {
public:
    // Nothing for text that is not a URL: empty text, white space or control
    // characters, malformed percent escapes, or an absolute URL libcurl refuses.
    static std::optional<Url> parse(std::string_view text);

    // A file URL for an absolute file-system path (percent-encoded as needed).
    static Url fromPath(std::string_view path);

    // The text as it was given.
    const std::string& str() const { return text_; }

    // The same URL as libcurl normalizes it (lower-case scheme, dot segments
    // removed); relative references come back unchanged.
    Url standardized() const;

    bool isAbsolute() const { return absolute_; }
    bool isFile() const;
    bool isRemote() const; // http or https

    std::string scheme() const;
    std::string host() const;
    // Percent-decoded path ("/a b/c" for "file:///a%20b/c").
    std::string path() const;

    // This reference resolved against base, made absolute. Nothing when the base is
    // itself relative or the result is not a URL.
    std::optional<Url> resolved(const Url& base) const;

    // The last path component, percent-decoded ("app.dmg").
    std::string lastPathComponent() const;

    friend bool operator==(const Url&, const Url&) = default;

private:
    Url(std::string text, bool absolute) : text_(std::move(text)), absolute_(absolute) {}

    std::string text_;
    bool absolute_ = false;
};

} // namespace kestle
