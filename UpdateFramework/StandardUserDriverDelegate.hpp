#pragma once

#include "AppcastItem.hpp"

namespace kestle::framework {

// The owner's say over the standard user driver's windows; calls come on the main
// thread. With gentle reminders, an update found by a scheduled check waits quietly
// (handleShowingUpdate false) until the user next asks to check.
class StandardUserDriverDelegate {
public:
    virtual ~StandardUserDriverDelegate() = default;

    virtual bool supportsGentleScheduledUpdateReminders() { return false; }
    virtual void standardUserDriverWillHandleShowingUpdate(bool /*handleShowingUpdate*/,
                                                           const AppcastItem&,
                                                           const UserUpdateState&) {}
    virtual void standardUserDriverDidReceiveUserAttentionForUpdate(const AppcastItem&) {}
    virtual void standardUserDriverWillFinishUpdateSession() {}
};

} // namespace kestle::framework
