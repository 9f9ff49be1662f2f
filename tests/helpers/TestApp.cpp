// A tiny application for update tests: runs until asked to quit (SIGTERM), unless its
// bundle holds Contents/Resources/refuses-quit, in which case it ignores the request.
#include <csignal>
#include <filesystem>

#include <unistd.h>

int main() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error &&
        std::filesystem::exists(exe.parent_path().parent_path() / "Resources/refuses-quit")) {
        std::signal(SIGTERM, SIG_IGN);
    }
    for (;;) {
        ::pause();
    }
}
