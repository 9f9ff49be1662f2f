#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Url.hpp"

namespace kestle {

// Where a failed or canceled download of a disk image waits for the next attempt to
// resume it: one file per download in a private folder of the working folder, with
// the server's validator of the first answer beside it, so that a resumed request
// can tell the server to start over when the file changed meanwhile.
struct PartialDownload {
    // Older ones are not worth resuming: the server has most likely moved on.
    static constexpr std::chrono::hours maxAge{24 * 7};

    // The private folder for partial files in work, made (mode 0700) when missing.
    // Nothing when it cannot be made, or is not a folder only this user can use.
    static std::optional<std::filesystem::path> folder(const std::filesystem::path& work);

    // The file for url with the announced length and signature, named by a hash of
    // the three: another release, or the same name re-signed, never resumes it.
    static std::filesystem::path file(const std::filesystem::path& folder, const Url& url,
                                      uint64_t length, std::string_view signature);
    // Where the validator of partial is kept.
    static std::filesystem::path validatorFile(const std::filesystem::path& partial);

    // A strong ETag or a Last-Modified as the server sent it; nothing when none was
    // kept or what is there could not have come from a header.
    static std::optional<std::string> readValidator(const std::filesystem::path& partial);
    // Replaces the kept validator in one step (mode 0600); false when it could not.
    static bool writeValidator(const std::filesystem::path& partial, std::string_view validator);

    // Removes partial and its validator; nothing there is no failure.
    static void remove(const std::filesystem::path& partial);
    // Removes the folder of partial when nothing else is left in it, so that a working
    // folder without partial downloads stays as it was.
    static void tidy(const std::filesystem::path& partial);

    // Removes from work's folder the partial files last written before now - maxAge,
    // with their validators, and validators without a partial file. Returns what went.
    static std::vector<std::filesystem::path> sweep(const std::filesystem::path& work,
                                                    std::chrono::system_clock::time_point now);
};

} // namespace kestle
