#pragma once

// The archive-reading half of kestle-diskutil, shared with its fuzz target.

#include <csignal>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace kestle::diskutil {

// What one attach may write. A few kilobytes of image can describe gigabytes (zisofs
// blocks of zeros, many records sharing one extent), so both are bounded.
struct ExtractLimits {
    uint64_t bytes = 0;   // file contents, hard links counted at their size
    uint64_t entries = 0; // names of every kind, those left out included

    static constexpr uint64_t kExpansion = 16;
    static constexpr uint64_t kMaxBytes = uint64_t(8) << 30;
    static constexpr uint64_t kMaxEntries = 100000;
    // Deeper than any bundle; what copies and removes the tree stays within it.
    static constexpr long kMaxDepth = 128;

    // 16 times the image, at most 8 GiB, and 100,000 entries.
    static ExtractLimits forImage(uint64_t imageSize);
};

struct ExtractTotals {
    uint64_t bytes = 0;
    uint64_t entries = 0;
};

// Extracts the ISO 9660 image read from imageFd into the working folder: entries that
// would land outside it, or reach past the limits, fail the whole extraction. Device
// files, FIFOs and sockets are left out; set-user-id and set-group-id bits are dropped;
// symbolic links stay links. What was written before a failure stays for the caller to
// remove. interrupted, when given, is polled between blocks.
std::expected<ExtractTotals, std::string>
extractImage(int imageFd, const std::string& name, const ExtractLimits& limits,
             const volatile std::sig_atomic_t* interrupted = nullptr);

// lstat: the entry itself, links never followed.
std::optional<struct stat> linkStatus(const std::filesystem::path& path);

// Makes every folder of the tree writable again and removes everything in it; the
// folder itself stays. Links are removed, never followed.
void emptyFolder(const std::filesystem::path& folder);

} // namespace kestle::diskutil
