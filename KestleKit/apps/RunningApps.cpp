#include "apps/RunningApps.hpp"

#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

#include <signal.h>
#include <unistd.h>

namespace kestle {

namespace fs = std::filesystem;

namespace {

// The bundle's path without "." or ".." and with links resolved, as the kernel shows
// executables in /proc.
std::string canonicalFolder(const fs::path& bundle) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(bundle, error);
    std::string text = (error ? bundle.lexically_normal() : resolved).string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text + "/";
}

} // namespace

std::vector<pid_t> RunningApps::find(const fs::path& bundle) {
    const std::string prefix = canonicalFolder(bundle);
    std::vector<pid_t> processes;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        pid_t pid = 0;
        auto [end, failed] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (failed != std::errc{} || end != name.data() + name.size() || pid <= 0) {
            continue;
        }
        char target[4096];
        const std::string link = "/proc/" + name + "/exe";
        ssize_t length = ::readlink(link.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof target) {
            continue; // gone, a kernel thread, or another user's process
        }
        if (std::string_view(target, static_cast<size_t>(length)).starts_with(prefix)) {
            processes.push_back(pid);
        }
    }
    return processes;
}

void RunningApps::terminate(const std::vector<pid_t>& processes) {
    for (pid_t pid : processes) {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
        }
    }
}

} // namespace kestle
