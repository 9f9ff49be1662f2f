#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "AppcastItem.hpp"
#include "updates/PlatformError.hpp"

namespace kestle::framework {

// What the updater shows, and the questions it asks, during a cycle. Every call comes
// on the main thread. Replies and acknowledgements may be given at once or later; a
// reply given after the cycle ended is ignored.
class UserDriver {
public:
    using Reply = std::function<void(UserUpdateChoice)>;
    using Acknowledgement = std::function<void()>;
    using Cancellation = std::function<void()>;

    virtual ~UserDriver() = default;

    // Whether scheduled checks may run; asked once when nobody has said so yet.
    virtual void showUpdatePermissionRequest(std::function<void(bool automaticChecks)> reply) = 0;
    virtual void showUserInitiatedUpdateCheck(Cancellation cancellation) = 0;
    virtual void showUpdateFound(const AppcastItem& item, const UserUpdateState& state,
                                 Reply reply) = 0;
    virtual void showUpdateReleaseNotes(const std::string& notes) = 0;
    virtual void showUpdateReleaseNotesFailedToDownload(const PlatformError& error) = 0;
    virtual void showUpdateNotFound(const PlatformError& error,
                                    Acknowledgement acknowledgement) = 0;
    virtual void showUpdaterError(const PlatformError& error, Acknowledgement acknowledgement) = 0;
    virtual void showDownloadInitiated(Cancellation cancellation) = 0;
    virtual void showDownloadDidReceiveExpectedContentLength(uint64_t length) = 0;
    virtual void showDownloadDidReceiveDataOfLength(uint64_t length) = 0;
    virtual void showDownloadDidStartExtractingUpdate() = 0;
    virtual void showExtractionReceivedProgress(double progress) = 0;
    virtual void showReadyToInstallAndRelaunch(Reply reply) = 0;
    // applicationTerminated: no copy of the app runs any more. Otherwise the installation
    // waits for it; retry asks it to quit once more.
    virtual void showInstallingUpdate(bool applicationTerminated,
                                      std::function<void()> retryTerminatingApplication) = 0;
    virtual void showUpdateInstalledAndRelaunched(bool relaunched,
                                                  Acknowledgement acknowledgement) = 0;
    virtual void showUpdateInFocus() = 0;
    virtual void dismissUpdateInstallation() = 0;
};

} // namespace kestle::framework
