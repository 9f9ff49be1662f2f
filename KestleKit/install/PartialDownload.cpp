#include "install/PartialDownload.hpp"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sodium.h>

#include "install/BundleFiles.hpp"
#include "support/AtomicFile.hpp"
#include "support/UniqueFd.hpp"

namespace kestle {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view partialSuffix = ".partial";
constexpr std::string_view validatorSuffix = ".validator";
// Far more than any ETag or date a server sends.
constexpr size_t maxValidatorBytes = 512;

// Per user: the working folder may be shared, and another user's folder of the same
// name must not stop this one's downloads from resuming.
std::string folderName() {
    return "VelmarKestle-partial-" + std::to_string(::getuid());
}

bool privateFolder(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// Visible ASCII and spaces only: it goes back into a request header.
bool headerSafe(std::string_view text) {
    if (text.empty() || text.size() > maxValidatorBytes) {
        return false;
    }
    for (char c : text) {
        if (c < 0x20 || c > 0x7e) {
            return false;
        }
    }
    return true;
}

std::string stem(std::string_view name, std::string_view suffix) {
    return name.ends_with(suffix) ? std::string(name.substr(0, name.size() - suffix.size()))
                                  : std::string();
}

} // namespace

std::optional<fs::path> PartialDownload::folder(const fs::path& work) {
    const fs::path path = work / folderName();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return std::nullopt;
    }
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid() || !privateFolder(fd.get())) {
        return std::nullopt;
    }
    return path;
}

fs::path PartialDownload::file(const fs::path& folder, const Url& url, uint64_t length,
                               std::string_view signature) {
    // Newlines cannot occur in a URL or in base64, so the three never run together.
    const std::string key =
        url.str() + "\n" + std::to_string(length) + "\n" + std::string(signature);
    std::array<unsigned char, 16> hash{};
    crypto_generichash(hash.data(), hash.size(), reinterpret_cast<const unsigned char*>(key.data()),
                       key.size(), nullptr, 0);
    std::array<char, 2 * 16 + 1> hex{};
    sodium_bin2hex(hex.data(), hex.size(), hash.data(), hash.size());
    return folder / (std::string(hex.data()) + std::string(partialSuffix));
}

fs::path PartialDownload::validatorFile(const fs::path& partial) {
    fs::path path = partial;
    path.replace_extension(validatorSuffix);
    return path;
}

std::optional<std::string> PartialDownload::readValidator(const fs::path& partial) {
    auto text = AtomicFile::read(validatorFile(partial), maxValidatorBytes);
    if (!text || !headerSafe(*text)) {
        return std::nullopt;
    }
    return text;
}

bool PartialDownload::writeValidator(const fs::path& partial, std::string_view validator) {
    return headerSafe(validator) && AtomicFile::write(validatorFile(partial), validator, 0600);
}

void PartialDownload::remove(const fs::path& partial) {
    ::unlink(partial.c_str());
    ::unlink(validatorFile(partial).c_str());
}

void PartialDownload::tidy(const fs::path& partial) {
    // Fails, as it should, while anything is in it.
    ::rmdir(partial.parent_path().c_str());
}

std::vector<fs::path> PartialDownload::sweep(const fs::path& work,
                                             std::chrono::system_clock::time_point now) {
    std::vector<fs::path> removed;
    const fs::path path = work / folderName();
    UniqueFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid() || !privateFolder(folder.get())) {
        return removed;
    }
    const auto cutoff = std::chrono::system_clock::to_time_t(now - maxAge);
    auto written = [&](const std::string& name) -> std::optional<time_t> {
        struct stat st {};
        if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode)) {
            return std::nullopt;
        }
        return st.st_mtime;
    };
    auto drop = [&](const std::string& name) {
        if (::unlinkat(folder.get(), name.c_str(), 0) == 0) {
            removed.push_back(path / name);
        }
    };
    for (const std::string& name : BundleFiles::names(folder.get())) {
        if (std::string base = stem(name, partialSuffix); !base.empty()) {
            if (auto time = written(name); time && *time < cutoff) {
                drop(name);
                if (written(base + std::string(validatorSuffix))) {
                    drop(base + std::string(validatorSuffix));
                }
            }
        } else if (std::string owner = stem(name, validatorSuffix); !owner.empty()) {
            // Its partial file went some other way (installed, or failed its check).
            if (written(name) && !written(owner + std::string(partialSuffix))) {
                drop(name);
            }
        }
    }
    ::unlinkat(AT_FDCWD, path.c_str(), AT_REMOVEDIR);
    return removed;
}

} // namespace kestle
