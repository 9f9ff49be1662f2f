#pragma once

#include <expected>
#include <filesystem>
#include <functional>
#include <optional>

#include "AppcastItem.hpp"
#include "updates/PlatformError.hpp"

namespace kestle::framework {

class Updater;

// The owner's say over an updater's cycles; every call comes on the main thread. The
// defaults allow everything and postpone nothing.
class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;

    // An error refuses the check; the cycle then ends with that error.
    virtual std::expected<void, PlatformError> mayPerformUpdateCheck(Updater&, UpdateCheck) {
        return {};
    }
    virtual bool shouldPromptForPermissionToCheckForUpdates(Updater&) { return true; }
    // Every cycle ends here exactly once; no error when it was dismissed or completed.
    virtual void didFinishUpdateCycle(Updater&, UpdateCheck,
                                      const std::optional<PlatformError>& /*error*/) {}
    // True keeps the installation waiting until install is called.
    virtual bool shouldPostponeRelaunchForUpdate(Updater&, const AppcastItem&,
                                                 std::function<void()> /*install*/) {
        return false;
    }
    // The running program was replaced: starts the new copy and quits. An application
    // that admits one copy at a time starts it only once this one has ended instead.
    virtual void relaunchHostApplication(Updater&, const std::filesystem::path& executable);
};

} // namespace kestle::framework
