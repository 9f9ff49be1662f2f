#pragma once

#include <optional>
#include <string>

#include <QObject>
#include <QPointer>

#include "StandardUserDriverDelegate.hpp"
#include "UserDriver.hpp"

#include <QDialog>
class QLabel;
class QProgressBar;
class QPushButton;
class QTextBrowser;

namespace kestle::framework {

// The updater's own windows: one dialog that changes with the cycle (update found with
// its release notes, download progress, ready to relaunch) and message boxes for "up
// to date" and errors.
class StandardUserDriver : public QObject, public UserDriver {
    Q_OBJECT

public:
    StandardUserDriver(std::string appName, StandardUserDriverDelegate* delegate,
                       QObject* parent = nullptr);
    ~StandardUserDriver() override;

    void showUpdatePermissionRequest(std::function<void(bool)> reply) override;
    void showUserInitiatedUpdateCheck(Cancellation cancellation) override;
    void showUpdateFound(const AppcastItem& item, const UserUpdateState& state,
                         Reply reply) override;
    void showUpdateReleaseNotes(const std::string& notes) override;
    void showUpdateReleaseNotesFailedToDownload(const PlatformError& error) override;
    void showUpdateNotFound(const PlatformError& error, Acknowledgement acknowledgement) override;
    void showUpdaterError(const PlatformError& error, Acknowledgement acknowledgement) override;
    void showDownloadInitiated(Cancellation cancellation) override;
    void showDownloadDidReceiveExpectedContentLength(uint64_t length) override;
    void showDownloadDidReceiveDataOfLength(uint64_t length) override;
    void showDownloadDidStartExtractingUpdate() override;
    void showExtractionReceivedProgress(double progress) override;
    void showReadyToInstallAndRelaunch(Reply reply) override;
    void showInstallingUpdate(bool applicationTerminated,
                              std::function<void()> retryTerminatingApplication) override;
    void showUpdateInstalledAndRelaunched(bool relaunched,
                                          Acknowledgement acknowledgement) override;
    void showUpdateInFocus() override;
    void dismissUpdateInstallation() override;

    // The window of the cycle, if one is shown (for tests and focus).
    QDialog* window() const { return dialog_; }

private:
    void ensureDialog();
    void showFound();
    void setButtons(const QString& primary, std::function<void()> onPrimary,
                    const QString& secondary, std::function<void()> onSecondary);

    std::string appName_;
    StandardUserDriverDelegate* delegate_;
    QPointer<QDialog> dialog_;
    QLabel* title_ = nullptr;
    QLabel* text_ = nullptr;
    QTextBrowser* notes_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* primary_ = nullptr;
    QPushButton* secondary_ = nullptr;
    std::function<void()> onPrimary_;
    std::function<void()> onSecondary_;

    // An update found by a scheduled check that waits for the user's attention.
    struct Pending {
        AppcastItem item;
        UserUpdateState state;
        Reply reply;
    };
    std::optional<Pending> pending_;
    uint64_t expected_ = 0;
    uint64_t received_ = 0;
};

} // namespace kestle::framework
