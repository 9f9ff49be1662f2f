#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <string_view>

#include <sys/wait.h>
#include <unistd.h>

#include "support/CrashPoint.hpp"

namespace kestle::test {

// Runs work in a child process that kills itself (SIGKILL: no clean-up of any kind)
// when it reaches the named step. True when the child died there.
inline bool killedAt(std::string_view step, const std::function<void()>& work) {
    static std::string target;
    target = step;
    const pid_t child = ::fork();
    if (child == 0) {
        CrashPoint::setHook([](std::string_view reached) {
            if (reached == target) {
                ::raise(SIGKILL);
            }
        });
        work();
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return false;
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace kestle::test
