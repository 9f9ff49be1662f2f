#include "support/CrashPoint.hpp"

#include <atomic>

namespace kestle {

namespace {
std::atomic<CrashPoint::Hook> hook{nullptr};
} // namespace

void CrashPoint::setHook(Hook value) {
    hook.store(value);
}

void CrashPoint::reach(std::string_view step) {
    if (Hook current = hook.load(std::memory_order_relaxed)) {
        current(step);
    }
}

} // namespace kestle
