#include "ImageExtractor.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include <archive.h>
#include <archive_entry.h>

namespace fs = std::filesystem;

namespace kestle::diskutil {
namespace {

struct Refusal {
    std::string message;
};

[[noreturn]] void refuse(std::string message) {
    throw Refusal{std::move(message)};
}

// Refuses what libarchive's own checks also refuse, so that no single check stands
// between an image and the rest of the disk.
void checkInside(std::string_view entry, const std::string& path) {
    if (path.empty() || path.starts_with('/')) {
        refuse("refused entry " + std::string(entry) + ": absolute path " + path);
    }
    for (const auto& part : fs::path(path)) {
        if (part == "..") {
            refuse("refused entry " + std::string(entry) + ": leaves the mount point");
        }
    }
    // Every folder on the way must be a real folder, never a link to follow.
    fs::path prefix;
    auto parent = fs::path(path).parent_path();
    for (const auto& part : parent) {
        prefix /= part;
        auto st = linkStatus(prefix);
        if (st && !S_ISDIR(st->st_mode)) {
            refuse("refused entry " + std::string(entry) + ": " + prefix.string() +
                   " is not a folder");
        }
    }
}

struct Archives {
    archive* in = archive_read_new();
    archive* out = archive_write_disk_new();
    ~Archives() {
        archive_read_free(in);
        archive_write_free(out);
    }
};

class Extraction {
public:
    Extraction(const std::string& name, const ExtractLimits& limits,
               const volatile std::sig_atomic_t* interrupted)
        : name_(name), limits_(limits), interrupted_(interrupted) {}

    void run(int imageFd);
    const ExtractTotals& totals() const { return totals_; }

private:
    void checkInterrupted() const {
        if (interrupted_ != nullptr && *interrupted_ != 0) {
            refuse(name_ + ": interrupted");
        }
    }
    // Counted before the bytes reach the disk, so the limit is never overshot.
    void count(uint64_t bytes) {
        if (bytes > limits_.bytes - totals_.bytes) {
            refuse(name_ + ": expands past " + std::to_string(limits_.bytes) + " bytes");
        }
        totals_.bytes += bytes;
    }
    void copyData(const std::string& path, uint64_t declared);

    const std::string& name_;
    ExtractLimits limits_;
    const volatile std::sig_atomic_t* interrupted_;
    Archives a_;
    ExtractTotals totals_;
};

// The declared size was counted already; data past it counts as it comes.
void Extraction::copyData(const std::string& path, uint64_t declared) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    uint64_t end = declared;
    for (;;) {
        checkInterrupted();
        int rc = archive_read_data_block(a_.in, &block, &size, &offset);
        if (rc == ARCHIVE_EOF) {
            return;
        }
        if (rc < ARCHIVE_WARN) {
            refuse(path + ": " + archive_error_string(a_.in));
        }
        if (offset < 0) {
            refuse(path + ": a block before the start of the file");
        }
        uint64_t blockEnd = static_cast<uint64_t>(offset) + size;
        if (blockEnd > end) {
            count(blockEnd - end);
            end = blockEnd;
        }
        if (archive_write_data_block(a_.out, block, size, offset) < ARCHIVE_WARN) {
            refuse(path + ": " + archive_error_string(a_.out));
        }
    }
}

void Extraction::run(int imageFd) {
    archive_read_support_format_iso9660(a_.in);
    // Owners are never restored; set-user-id bits are cleared below before writing.
    archive_write_disk_set_options(
        a_.out, ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_NO_OVERWRITE |
                    ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                    ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
    if (archive_read_open_fd(a_.in, imageFd, 64 * 1024) != ARCHIVE_OK) {
        refuse(name_ + ": not a disk image (" + archive_error_string(a_.in) + ")");
    }
    for (;;) {
        checkInterrupted();
        archive_entry* entry = nullptr;
        int rc = archive_read_next_header(a_.in, &entry);
        if (rc == ARCHIVE_EOF) {
            break;
        }
        if (rc < ARCHIVE_WARN) {
            refuse(name_ + ": " + archive_error_string(a_.in));
        }
        if (++totals_.entries > limits_.entries) {
            refuse(name_ + ": holds more than " + std::to_string(limits_.entries) + " entries");
        }
        const char* name = archive_entry_pathname(entry);
        if (name == nullptr) {
            refuse(name_ + ": an entry has no name");
        }
        std::string path = name;
        if (path == "." || path == "./") {
            continue; // the image's root is the mount point
        }
        checkInside(path, path);
        if (std::count(path.begin(), path.end(), '/') >= ExtractLimits::kMaxDepth) {
            refuse("refused entry " + path + ": deeper than " +
                   std::to_string(ExtractLimits::kMaxDepth) + " folders");
        }
        auto type = archive_entry_filetype(entry);
        if (type == AE_IFCHR || type == AE_IFBLK || type == AE_IFIFO || type == AE_IFSOCK) {
            continue;
        }
        if (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK) {
            refuse("refused entry " + path + ": unknown file type");
        }
        if (const char* target = archive_entry_hardlink(entry)) {
            checkInside(path, target);
            auto st = linkStatus(target);
            if (!st || !S_ISREG(st->st_mode)) {
                refuse("refused entry " + path + ": links to " + target);
            }
            // Free on this disk, but every later copy of the tree pays for it in full.
            count(static_cast<uint64_t>(st->st_size));
        }
        // The file gets its declared size even where the data leave holes (zisofs
        // blocks of zeros): holes cost their size once the tree is copied.
        const uint64_t declared =
            type == AE_IFREG
                ? static_cast<uint64_t>(std::max<la_int64_t>(archive_entry_size(entry), 0))
                : 0;
        count(declared);
        auto existing = linkStatus(path);
        if (existing && !(S_ISDIR(existing->st_mode) && type == AE_IFDIR)) {
            refuse("refused entry " + path + ": the name is used twice");
        }
        if (type != AE_IFLNK) {
            archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);
        }
        if (archive_write_header(a_.out, entry) < ARCHIVE_WARN) {
            refuse("refused entry " + path + ": " + archive_error_string(a_.out));
        }
        if (type == AE_IFREG && archive_entry_size(entry) > 0) {
            copyData(path, declared);
        }
        if (archive_write_finish_entry(a_.out) < ARCHIVE_WARN) {
            refuse(path + ": " + archive_error_string(a_.out));
        }
    }
    if (archive_write_close(a_.out) < ARCHIVE_WARN) {
        refuse(name_ + ": " + archive_error_string(a_.out));
    }
}

} // namespace

ExtractLimits ExtractLimits::forImage(uint64_t imageSize) {
    uint64_t bytes = imageSize > kMaxBytes / kExpansion ? kMaxBytes : imageSize * kExpansion;
    return {std::min(bytes, kMaxBytes), kMaxEntries};
}

std::optional<struct stat> linkStatus(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return st;
}

std::expected<ExtractTotals, std::string>
extractImage(int imageFd, const std::string& name, const ExtractLimits& limits,
             const volatile std::sig_atomic_t* interrupted) {
    try {
        Extraction extraction(name, limits, interrupted);
        extraction.run(imageFd);
        return extraction.totals();
    } catch (const Refusal& refusal) {
        return std::unexpected(refusal.message);
    } catch (const std::bad_alloc&) {
        return std::unexpected(name + ": out of memory");
    }
}

void emptyFolder(const fs::path& folder) {
    auto st = linkStatus(folder);
    if (!st || !S_ISDIR(st->st_mode)) {
        return;
    }
    ::chmod(folder.c_str(), (st->st_mode & 07777) | 0700);
    std::error_code error;
    for (const auto& child : fs::directory_iterator(folder, error)) {
        emptyFolder(child.path());
        fs::remove_all(child.path(), error);
    }
}

} // namespace kestle::diskutil
