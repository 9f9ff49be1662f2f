#include "updates/UpdateScope.hpp"

#include <filesystem>
#include <system_error>

namespace kestle {
namespace {

namespace fs = std::filesystem;

// Standardized, with symbolic links resolved as far as the path exists, and no
// trailing separator.
std::optional<fs::path> normalized(const Url& url) {
    if (!url.isFile()) {
        return std::nullopt;
    }
    fs::path path = fs::path(url.path()).lexically_normal();
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    if (error) {
        resolved = path;
    }
    std::string text = resolved.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return fs::path(text);
}

} // namespace

bool UpdateScope::allows(const Url& url) const {
    if (!url.isFile()) {
        return false;
    }
    std::string path = url.path();
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    if (fs::path(path).extension() != ".app") {
        return false;
    }
    auto bundle = normalized(url);
    if (!bundle) {
        return false;
    }
    fs::path parent = bundle->parent_path();
    for (const auto& folder : folders) {
        if (auto allowed = normalized(folder); allowed && *allowed == parent) {
            return true;
        }
    }
    return false;
}

} // namespace kestle
