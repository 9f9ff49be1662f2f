#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestle::test {

// Runs work in a child process with a mount namespace of its own, in which folder is a
// fresh tmpfs of the given size, read-only when asked: a full or read-only disk without
// touching the machine's. work returns what went wrong, empty when all was well.
struct SmallDisk {
    enum class Outcome { passed, failed, unavailable };
    struct Result {
        Outcome outcome = Outcome::unavailable;
        std::string message; // what failed, or why the machine allows no such disk
    };

    static Result run(const std::filesystem::path& folder, size_t bytes, bool readOnly,
                      const std::function<std::string()>& work) {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) {
            return {Outcome::unavailable, "no pipe"};
        }
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipe[0]);
            auto report = [&](int status, const std::string& text) {
                (void)!::write(pipe[1], text.data(), text.size());
                ::_exit(status);
            };
            if (std::string why = enter(folder, bytes, readOnly, uid, gid); !why.empty()) {
                report(77, why);
            }
            std::string failure = work();
            report(failure.empty() ? 0 : 1, failure);
        }
        ::close(pipe[1]);
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<size_t>(got));
        }
        ::close(pipe[0]);
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
            return {Outcome::failed, "the child died: " + text};
        }
        switch (WEXITSTATUS(status)) {
        case 0:
            return {Outcome::passed, {}};
        case 77:
            return {Outcome::unavailable, text};
        default:
            return {Outcome::failed, text};
        }
    }

    // Inside work: turns the disk read-only from now on.
    static bool makeReadOnly(const std::filesystem::path& folder) {
        return ::mount(nullptr, folder.c_str(), nullptr,
                       MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
    }

private:
    static bool writeFile(const char* path, const std::string& text) {
        int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        bool ok =
            fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        if (fd >= 0) {
            ::close(fd);
        }
        return ok;
    }

    // Root gets a mount namespace; anyone else a user namespace that maps them to
    // themselves, so files keep their owner and permission checks still apply.
    static std::string enter(const std::filesystem::path& folder, size_t bytes, bool readOnly,
                             uid_t uid, gid_t gid) {
        if (uid == 0) {
            if (::unshare(CLONE_NEWNS) != 0) {
                return std::string("no mount namespace: ") + std::strerror(errno);
            }
        } else {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
                return std::string("no user namespace: ") + std::strerror(errno);
            }
            if (!writeFile("/proc/self/setgroups", "deny") ||
                !writeFile("/proc/self/uid_map",
                           std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
                !writeFile("/proc/self/gid_map",
                           std::to_string(gid) + " " + std::to_string(gid) + " 1")) {
                return "the user namespace cannot map this user";
            }
        }
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return std::string("mounts cannot be made private: ") + std::strerror(errno);
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
            return std::string("no tmpfs: ") + std::strerror(errno);
        }
        if (readOnly && !makeReadOnly(folder)) {
            return std::string("the tmpfs cannot be made read-only: ") + std::strerror(errno);
        }
        return {};
    }
};

// Skips the test where the machine allows no private mounts, fails it with the child's
// message where its work went wrong.
#define EXPECT_ON_SMALL_DISK(result)                                                               \
    do {                                                                                           \
        const auto smallDisk = (result);                                                           \
        if (smallDisk.outcome == ::kestle::test::SmallDisk::Outcome::unavailable) {                \
            GTEST_SKIP() << "no private tmpfs on this machine: " << smallDisk.message;             \
        }                                                                                          \
        EXPECT_EQ(smallDisk.outcome, ::kestle::test::SmallDisk::Outcome::passed)                   \
            << smallDisk.message;                                                                  \
    } while (false)

} // namespace kestle::test
