#pragma once

#include <cstdint>
#include <optional>

namespace kestle {

// Where a running job stands.
struct UpdateStep {
    enum class Kind {
        downloading,   // received of expected bytes (expected 0 when unknown)
        installing,    // closesApp: the app is still running and must quit first
        checking,      // looking for the update; the first state of every job
        verifying,     // download complete, signature and contents being checked
        waitingForQuit // the app did not quit yet; the user may ask again
    };
    Kind kind = Kind::checking;
    uint64_t received = 0;
    uint64_t expected = 0;
    bool closesApp = false;

    static UpdateStep downloading(uint64_t received, uint64_t expected) {
        return {Kind::downloading, received, expected, false};
    }
    static UpdateStep installing(bool closesApp) { return {Kind::installing, 0, 0, closesApp}; }
    static UpdateStep checking() { return {Kind::checking, 0, 0, false}; }
    static UpdateStep verifying() { return {Kind::verifying, 0, 0, false}; }
    static UpdateStep waitingForQuit() { return {Kind::waitingForQuit, 0, 0, false}; }

    // received / expected clamped to 0...1 while downloading with a known size.
    std::optional<double> fraction() const {
        if (kind != Kind::downloading || expected == 0) {
            return std::nullopt;
        }
        double f = static_cast<double>(received) / static_cast<double>(expected);
        return f >= 0 ? (f > 1 ? 1.0 : f) : 0.0; // NaN fails f >= 0
    }
    bool canCancel() const { return kind == Kind::downloading || kind == Kind::checking; }

    friend bool operator==(const UpdateStep&, const UpdateStep&) = default;
};

} // namespace kestle
