#pragma once

#include <functional>

class QAccessibleEvent;

namespace kestle::app {

// Events the views send to screen readers themselves, beyond those Qt sends. Qt drops
// every event while no platform bridge is active (under the offscreen platform, say), so
// a listener hears them here too.
class AccessibleEvents {
public:
    using Listener = std::function<void(const QAccessibleEvent& event)>;

    static void send(QAccessibleEvent& event);
    // One listener at a time; an empty one stops listening.
    static void listen(Listener listener);
};

} // namespace kestle::app
