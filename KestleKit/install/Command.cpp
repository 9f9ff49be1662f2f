#include "install/Command.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/UniqueFd.hpp"

extern char** environ;

namespace kestle {
namespace {

using Fd = UniqueFd;

struct Pipe {
    Fd read;
    Fd write;
};

// Close-on-exec from the start, so a tool started by another thread at the same
// moment never inherits a write end and keeps this pipe open.
int openPipe(Pipe& pipe) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return errno;
    }
    pipe.read.reset(fds[0]);
    pipe.write.reset(fds[1]);
    return 0;
}

struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

int prepare(SpawnSetup& setup, const Pipe& out, const Pipe& err) {
    auto& actions = setup.actions;
    int rc = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0) {
        rc = posix_spawn_file_actions_adddup2(&actions, out.write.get(), STDOUT_FILENO);
    }
    if (rc == 0) {
        rc = posix_spawn_file_actions_adddup2(&actions, err.write.get(), STDERR_FILENO);
    }
    // Descriptors opened elsewhere without close-on-exec must not leak into the tool.
    if (rc == 0) {
        rc = posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    }
    // A process that ignores SIGPIPE or blocks signals would otherwise pass that on.
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    if (rc == 0) {
        rc = posix_spawnattr_setsigdefault(&setup.attributes, &all);
    }
    if (rc == 0) {
        rc = posix_spawnattr_setsigmask(&setup.attributes, &none);
    }
    if (rc == 0) {
        rc = posix_spawnattr_setflags(&setup.attributes,
                                      POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    return rc;
}

// Reads both pipes until both are at their end, whichever the tool fills first.
void drain(Pipe& out, Pipe& err, std::string& output, std::string& errorOutput) {
    std::array<pollfd, 2> fds{pollfd{out.read.get(), POLLIN, 0}, pollfd{err.read.get(), POLLIN, 0}};
    std::array<std::string*, 2> sinks{&output, &errorOutput};
    std::array<char, 64 * 1024> buffer;
    int open = 2;
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1; // poll skips negative descriptors
                --open;
            }
        }
    }
    out.read.reset();
    err.read.reset();
}

int waitFor(pid_t pid) {
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0) {
        if (errno != EINTR) {
            return -1; // reaped elsewhere (SIGCHLD ignored): the status is lost
        }
    }
    if (WIFEXITED(raw)) {
        return WEXITSTATUS(raw);
    }
    if (WIFSIGNALED(raw)) {
        return -WTERMSIG(raw);
    }
    return -1;
}

} // namespace

std::string describe(const CommandError& error) {
    return error.path + ": " + std::strerror(error.code);
}

std::expected<CommandResult, CommandError> Command::run(const std::string& path,
                                                        const std::vector<std::string>& args) {
    // The tool would see a shorter argument than the one given.
    auto hasNul = [](const std::string& text) { return text.find('\0') != std::string::npos; };
    if (hasNul(path) || std::ranges::any_of(args, hasNul)) {
        return std::unexpected(CommandError{EINVAL, path});
    }
    Pipe out;
    Pipe err;
    SpawnSetup setup;
    int rc = openPipe(out);
    if (rc == 0) {
        rc = openPipe(err);
    }
    if (rc == 0) {
        rc = prepare(setup, out, err);
    }
    if (rc != 0) {
        return std::unexpected(CommandError{rc, path});
    }

    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    // glibc reports a failed exec (missing file, no permission) here, not as a status.
    rc = ::posix_spawn(&pid, path.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    if (rc != 0) {
        return std::unexpected(CommandError{rc, path});
    }
    // Only the tool may hold the write ends, or the reads below never end.
    out.write.reset();
    err.write.reset();

    CommandResult result;
    drain(out, err, result.output, result.errorOutput);
    result.status = waitFor(pid);
    return result;
}

} // namespace kestle
