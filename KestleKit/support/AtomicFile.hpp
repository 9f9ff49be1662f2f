#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestle {

// Whole-file reads and writes for the product's own files.
struct AtomicFile {
    // Replaces path with bytes in one step (temporary file, fsync, rename): readers
    // see the old content or the new, never half of it. False on any failure, with
    // nothing left behind and errno telling why (ENOSPC, EROFS, EACCES…).
    static bool write(const std::filesystem::path& path, std::string_view bytes,
                      unsigned mode = 0644);

    // The bytes of a regular file no larger than maxBytes; nothing otherwise (missing,
    // unreadable, a folder, a FIFO that would block, too large).
    static std::optional<std::string> read(const std::filesystem::path& path, size_t maxBytes);
};

} // namespace kestle
