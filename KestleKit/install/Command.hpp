#pragma once

#include <expected>
#include <string>
#include <vector>

namespace kestle {

// How an external tool ended and everything it wrote.
struct CommandResult {
    // The exit status for a tool that exited; minus the signal number for one killed
    // by a signal (-9 for SIGKILL), so a killed tool never reads as a success.
    int status = 0;
    std::string output;
    std::string errorOutput;

    friend bool operator==(const CommandResult&, const CommandResult&) = default;
};

// The tool could not be started at all.
struct CommandError {
    int code = 0; // errno: ENOENT, EACCES, ENOEXEC, … or what a pipe or spawn call failed with
    std::string path;

    friend bool operator==(const CommandError&, const CommandError&) = default;
};

// "/usr/bin/x: No such file or directory": for logs and error texts.
std::string describe(const CommandError& error);

struct Command {
    // Runs the tool at path with args (no shell, no path search) to completion, with
    // standard input from /dev/null and no other descriptor of this process. Blocks
    // the calling thread; any thread.
    static std::expected<CommandResult, CommandError> run(const std::string& path,
                                                          const std::vector<std::string>& args);
};

} // namespace kestle
