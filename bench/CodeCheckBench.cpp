// Checking the code signature of a 2,000-file, 200 MB bundle against the plainest way
// to hash the same files: sha256sum over all of them, in the same run.
//
// Timed by hand on the wall clock: the baseline runs in child processes, whose time
// the benchmark library's CPU timer would not see. Files stay in the page cache after
// the warm-up, so both sides measure hashing, not the disk.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <spawn.h>
#include <sys/wait.h>

#include "codesign/CodeCheck.hpp"
#include "codesign/CodeSigner.hpp"
#include "helpers/TempFolder.hpp"
#include "support/Base64.hpp"

namespace {

namespace fs = std::filesystem;
using kestle::CodeCheck;
using kestle::CodeSigner;

constexpr int fileCount = 2000;
constexpr size_t totalBytes = 200'000'000;
constexpr int rounds = 5;

// Sizes from 1 KB to twice the mean, so that small and large files both count.
uint64_t makeBundle(const fs::path& app) {
    std::mt19937_64 random(42);
    std::vector<char> data(2 * totalBytes / fileCount);
    std::generate(data.begin(), data.end(), [&] { return static_cast<char>(random()); });
    uint64_t written = 0;
    for (int i = 0; i < fileCount; ++i) {
        size_t size = 1000 + random() % (data.size() - 1000);
        fs::path file = app / "Contents" / "Resources" / ("group" + std::to_string(i / 100)) /
                        ("file" + std::to_string(i));
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(data.data() + i % 1000, size - i % 1000);
        written += size - i % 1000;
    }
    return written;
}

template <typename Work> double seconds(Work work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool sha256sum(const fs::path& app) {
    std::string script = "find \"$1\" -type f -print0 | xargs -0 sha256sum > /dev/null";
    std::string appPath = app.string();
    char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), script.data(),
                    const_cast<char*>("sh"),      appPath.data(),          nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    kestle::test::TempFolder folder;
    fs::path app = folder / "Bench.app";
    uint64_t bytes = makeBundle(app);

    std::random_device seed;
    std::string seedBytes(32, '\0');
    for (auto& c : seedBytes) {
        c = static_cast<char>(seed());
    }
    auto key = *CodeSigner::Key::fromKeyFileText(kestle::Base64::encode(seedBytes));
    if (!CodeSigner::sign(app, "com.velmar.Bench", CodeCheck::velmarTeam, key)) {
        std::fprintf(stderr, "cannot sign the bundle\n");
        return 1;
    }
    CodeCheck::Anchors anchors;
    anchors.teams.emplace(CodeCheck::velmarTeam, key.publicKey());
    std::string requirement =
        CodeCheck::developerIDRequirement(CodeCheck::velmarTeam, "com.velmar.Bench");

    bool ok = true;
    auto check = [&] { ok = CodeCheck::check(app, requirement, anchors).has_value() && ok; };
    auto baseline = [&] { ok = sha256sum(app) && ok; };
    check();
    baseline();
    double best = 1e9, bestBaseline = 1e9;
    for (int i = 0; i < rounds; ++i) {
        best = std::min(best, seconds(check));
        bestBaseline = std::min(bestBaseline, seconds(baseline));
    }
    if (!ok) {
        std::fprintf(stderr, "a check or the baseline failed\n");
        return 1;
    }
    double megabytes = static_cast<double>(bytes) / 1e6;
    std::printf("bundle: %d files, %.1f MB; best of %d rounds\n", fileCount, megabytes, rounds);
    std::printf("CodeCheck::check: %.3f s, %.0f MB/s\n", best, megabytes / best);
    std::printf("sha256sum:        %.3f s, %.0f MB/s\n", bestBaseline, megabytes / bestBaseline);
    std::printf("CodeCheck::check throughput: %.2fx sha256sum's\n", bestBaseline / best);
    return 0;
}
