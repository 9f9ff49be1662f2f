#pragma once

#include <string_view>

namespace kestle {

// The steps of the work that changes apps on disk, named, so that a test can end the
// process at each one (SIGKILL in a child) and prove that every step leaves a whole app
// behind. Nothing happens unless a test sets a hook.
struct CrashPoint {
    using Hook = void (*)(std::string_view step);

    static void setHook(Hook hook);
    static void reach(std::string_view step);
};

} // namespace kestle
