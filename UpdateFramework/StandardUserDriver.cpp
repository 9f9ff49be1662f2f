#include "StandardUserDriver.hpp"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kestle::framework {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

} // namespace

StandardUserDriver::StandardUserDriver(std::string appName, StandardUserDriverDelegate* delegate,
                                       QObject* parent)
    : QObject(parent), appName_(std::move(appName)), delegate_(delegate) {}

StandardUserDriver::~StandardUserDriver() {
    delete dialog_.data();
}

void StandardUserDriver::ensureDialog() {
    if (dialog_) {
        return;
    }
    dialog_ = new QDialog();
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    dialog_->setWindowTitle(tr("Software Update"));
    dialog_->setMinimumWidth(460);
    auto* layout = new QVBoxLayout(dialog_);
    title_ = new QLabel(dialog_);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    text_ = new QLabel(dialog_);
    text_->setWordWrap(true);
    notes_ = new QTextBrowser(dialog_);
    notes_->setMinimumHeight(180);
    notes_->hide();
    progress_ = new QProgressBar(dialog_);
    progress_->hide();
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    secondary_ = new QPushButton(dialog_);
    primary_ = new QPushButton(dialog_);
    primary_->setDefault(true);
    buttons->addWidget(secondary_);
    buttons->addWidget(primary_);
    layout->addWidget(title_);
    layout->addWidget(text_);
    layout->addWidget(notes_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    connect(primary_, &QPushButton::clicked, this, [this] {
        if (auto action = onPrimary_) {
            action();
        }
    });
    connect(secondary_, &QPushButton::clicked, this, [this] {
        if (auto action = onSecondary_) {
            action();
        }
    });
    // Closing the window is the quiet answer: later, or cancel.
    connect(dialog_, &QDialog::rejected, this, [this] {
        if (auto action = onSecondary_) {
            action();
        }
    });
    dialog_->show();
}

void StandardUserDriver::setButtons(const QString& primary, std::function<void()> onPrimary,
                                    const QString& secondary, std::function<void()> onSecondary) {
    primary_->setText(primary);
    primary_->setVisible(!primary.isEmpty());
    primary_->setEnabled(onPrimary != nullptr);
    secondary_->setText(secondary);
    secondary_->setVisible(!secondary.isEmpty());
    onPrimary_ = std::move(onPrimary);
    onSecondary_ = std::move(onSecondary);
}

void StandardUserDriver::showUpdatePermissionRequest(std::function<void(bool)> reply) {
    auto answer = QMessageBox::question(
        nullptr, tr("Check for updates automatically?"),
        tr("Should %1 automatically check for updates? You can always check manually.")
            .arg(text(appName_)));
    reply(answer == QMessageBox::Yes);
}

void StandardUserDriver::showUserInitiatedUpdateCheck(Cancellation cancellation) {
    ensureDialog();
    title_->setText(tr("Checking for updates…"));
    text_->clear();
    notes_->hide();
    progress_->setRange(0, 0);
    progress_->show();
    setButtons({}, nullptr, tr("Cancel"), std::move(cancellation));
}

void StandardUserDriver::showUpdateFound(const AppcastItem& item, const UserUpdateState& state,
                                         Reply reply) {
    pending_ = Pending{item, state, std::move(reply)};
    const bool gentle = !state.userInitiated && delegate_ != nullptr &&
                        delegate_->supportsGentleScheduledUpdateReminders();
    if (delegate_ != nullptr) {
        delegate_->standardUserDriverWillHandleShowingUpdate(!gentle, item, state);
    }
    if (!gentle) {
        showFound();
    }
}

void StandardUserDriver::showFound() {
    ensureDialog();
    const Pending& found = *pending_;
    Reply reply = found.reply;
    progress_->hide();
    if (found.item.isInformationOnlyUpdate()) {
        title_->setText(tr("A new version of %1 is available.").arg(text(appName_)));
        text_->setText(tr("Version %1 can't be installed from here.")
                           .arg(text(found.item.displayVersionString())));
        setButtons(
            tr("OK"), [reply] { reply(UserUpdateChoice::dismiss); }, {}, nullptr);
    } else {
        title_->setText(tr("A new version of %1 is available!").arg(text(appName_)));
        text_->setText(tr("Version %1 is now available. Would you like to install it now?")
                           .arg(text(found.item.displayVersionString())));
        setButtons(
            tr("Install Update"), [reply] { reply(UserUpdateChoice::install); },
            tr("Remind Me Later"), [reply] { reply(UserUpdateChoice::dismiss); });
    }
    dialog_->raise();
    dialog_->activateWindow();
}

void StandardUserDriver::showUpdateReleaseNotes(const std::string& notes) {
    if (!dialog_) {
        return;
    }
    notes_->setMarkdown(text(notes));
    notes_->show();
}

void StandardUserDriver::showUpdateReleaseNotesFailedToDownload(const PlatformError&) {
    if (notes_ != nullptr && dialog_) {
        notes_->hide();
    }
}

void StandardUserDriver::showUpdateNotFound(const PlatformError&, Acknowledgement acknowledgement) {
    delete dialog_.data();
    QMessageBox::information(nullptr, tr("You're up to date!"),
                             tr("%1 is the newest version available.").arg(text(appName_)));
    acknowledgement();
}

void StandardUserDriver::showUpdaterError(const PlatformError& error,
                                          Acknowledgement acknowledgement) {
    delete dialog_.data();
    QMessageBox::warning(nullptr, tr("Update Error!"), text(error.description));
    acknowledgement();
}

void StandardUserDriver::showDownloadInitiated(Cancellation cancellation) {
    ensureDialog();
    pending_.reset();
    expected_ = 0;
    received_ = 0;
    title_->setText(tr("Downloading update…"));
    text_->clear();
    notes_->hide();
    progress_->setRange(0, 0);
    progress_->show();
    setButtons({}, nullptr, tr("Cancel"), std::move(cancellation));
}

void StandardUserDriver::showDownloadDidReceiveExpectedContentLength(uint64_t length) {
    expected_ = length;
    if (progress_ != nullptr && length > 0) {
        progress_->setRange(0, 1000);
    }
}

void StandardUserDriver::showDownloadDidReceiveDataOfLength(uint64_t length) {
    received_ += length;
    if (progress_ == nullptr || expected_ == 0) {
        return;
    }
    progress_->setValue(static_cast<int>(std::min<uint64_t>(received_ * 1000 / expected_, 1000)));
    text_->setText(tr("%1 of %2")
                       .arg(QLocale().formattedDataSize(static_cast<qint64>(received_)),
                            QLocale().formattedDataSize(static_cast<qint64>(expected_))));
}

void StandardUserDriver::showDownloadDidStartExtractingUpdate() {
    ensureDialog();
    title_->setText(tr("Preparing to install…"));
    text_->clear();
    progress_->setRange(0, 0);
    setButtons({}, nullptr, {}, nullptr);
}

void StandardUserDriver::showExtractionReceivedProgress(double progress) {
    if (progress_ != nullptr && dialog_) {
        progress_->setRange(0, 1000);
        progress_->setValue(static_cast<int>(progress * 1000));
    }
}

void StandardUserDriver::showReadyToInstallAndRelaunch(Reply reply) {
    ensureDialog();
    title_->setText(tr("Ready to Install"));
    text_->setText(tr("%1 will quit and reopen with the new version.").arg(text(appName_)));
    progress_->hide();
    setButtons(
        tr("Install and Relaunch"), [reply] { reply(UserUpdateChoice::install); }, tr("Later"),
        [reply] { reply(UserUpdateChoice::dismiss); });
}

void StandardUserDriver::showInstallingUpdate(bool applicationTerminated,
                                              std::function<void()> retryTerminatingApplication) {
    ensureDialog();
    title_->setText(tr("Installing update…"));
    progress_->setRange(0, 0);
    progress_->show();
    if (applicationTerminated) {
        text_->clear();
        setButtons({}, nullptr, {}, nullptr);
    } else {
        text_->setText(tr("Waiting for %1 to quit.").arg(text(appName_)));
        setButtons(tr("Ask Again"), std::move(retryTerminatingApplication), {}, nullptr);
    }
}

void StandardUserDriver::showUpdateInstalledAndRelaunched(bool, Acknowledgement acknowledgement) {
    acknowledgement();
}

void StandardUserDriver::showUpdateInFocus() {
    if (pending_ && !dialog_) {
        if (delegate_ != nullptr) {
            delegate_->standardUserDriverDidReceiveUserAttentionForUpdate(pending_->item);
        }
        showFound();
        return;
    }
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
    }
}

void StandardUserDriver::dismissUpdateInstallation() {
    pending_.reset();
    onPrimary_ = nullptr;
    onSecondary_ = nullptr;
    delete dialog_.data();
    if (delegate_ != nullptr) {
        delegate_->standardUserDriverWillFinishUpdateSession();
    }
}

} // namespace kestle::framework
