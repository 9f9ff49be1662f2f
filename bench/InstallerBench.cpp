// Verifying a 512 MiB disk image the way the installer does (length, then Ed25519 over
// the memory-mapped file) against sha512sum of the same file in the same run: Ed25519
// hashes the message with SHA-512, so that is the pace to match.
//
// Timed by hand on the wall clock: the baseline runs in a child process. The file
// stays in the page cache after the warm-up, so both sides measure hashing, not the
// disk.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sodium.h>

#include "helpers/TempFolder.hpp"
#include "install/Installer.hpp"
#include "support/Base64.hpp"
#include "support/UpdateSignature.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int64_t imageBytes = 512LL * 1024 * 1024;
constexpr int rounds = 5;

void writeImage(const fs::path& file) {
    std::mt19937_64 random(7);
    std::vector<char> block(1 << 20);
    std::generate(block.begin(), block.end(), [&] { return static_cast<char>(random()); });
    std::ofstream out(file, std::ios::binary);
    for (int64_t written = 0; written < imageBytes; written += static_cast<int64_t>(block.size())) {
        block[static_cast<size_t>(written / static_cast<int64_t>(block.size())) % block.size()] ^=
            1; // no two blocks alike
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

// The base64 signature of the whole file, made with a fresh key.
std::string signFile(const fs::path& file, unsigned char (&publicKey)[crypto_sign_PUBLICKEYBYTES]) {
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(publicKey, secretKey);
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    auto size = static_cast<size_t>(imageBytes);
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) {
        return {};
    }
    std::vector<uint8_t> signature(crypto_sign_BYTES);
    crypto_sign_detached(signature.data(), nullptr, static_cast<const unsigned char*>(mapped), size,
                         secretKey);
    ::munmap(mapped, size);
    sodium_memzero(secretKey, sizeof secretKey);
    return kestle::Base64::encode(signature);
}

template <typename Work> double seconds(Work work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool sha512sum(const fs::path& file) {
    std::string path = file.string();
    char* argv[] = {const_cast<char*>("sha512sum"), path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, "sha512sum", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    if (sodium_init() < 0) {
        return 1;
    }
    kestle::test::TempFolder folder;
    fs::path image = folder / "download.dmg";
    writeImage(image);
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    std::string signature = signFile(image, publicKey);
    auto key = kestle::UpdateSignature::fromPublicKeyBase64(
        kestle::Base64::encode(std::span<const uint8_t>(publicKey, sizeof publicKey)));
    if (signature.empty() || !key) {
        std::fprintf(stderr, "cannot sign the image\n");
        return 1;
    }

    bool ok = true;
    auto verify = [&] {
        ok = kestle::Installer::verify(image, imageBytes, signature, *key).has_value() && ok;
    };
    auto baseline = [&] { ok = sha512sum(image) && ok; };
    verify();
    baseline();
    double best = 1e9, bestBaseline = 1e9;
    for (int i = 0; i < rounds; ++i) {
        best = std::min(best, seconds(verify));
        bestBaseline = std::min(bestBaseline, seconds(baseline));
    }
    if (!ok) {
        std::fprintf(stderr, "a verification or the baseline failed\n");
        return 1;
    }
    double megabytes = static_cast<double>(imageBytes) / 1e6;
    double ratio = bestBaseline / best;
    std::printf("image: %.1f MB; best of %d rounds\n", megabytes, rounds);
    std::printf("Installer::verify: %.3f s, %.0f MB/s\n", best, megabytes / best);
    std::printf("sha512sum:         %.3f s, %.0f MB/s\n", bestBaseline, megabytes / bestBaseline);
    std::printf("Installer::verify throughput: %.2fx sha512sum's (target at least 0.80): %s\n",
                ratio, ratio >= 0.8 ? "met" : "MISSED");
    return 0;
}
