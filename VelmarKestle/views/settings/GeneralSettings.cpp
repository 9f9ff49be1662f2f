#include "views/settings/GeneralSettings.hpp"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/PlatformWords.hpp"
#include "services/Notifier.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/menubar/TrayIcon.hpp"
#include "views/settings/SettingsPicker.hpp"
#include "views/settings/SettingsSwitch.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/terms/KofiImageButton.hpp"

namespace kestle::app {

namespace {

constexpr int kTipHeight = 32;

QString languageName(AppLanguage language) {
    switch (language) {
    case AppLanguage::english:
        return QStringLiteral("English");
    case AppLanguage::italian:
        return QStringLiteral("Italiano");
    case AppLanguage::system:
        break;
    }
    return PlatformWords::text(PlatformWord::sameAsSystem);
}

// A row whose label says what is wrong and whose button leads to where it is fixed;
// without a place to go, the row is the message alone.
VelmarSettingsForm::Row* messageRow(VelmarSettingsForm::Section& section, const QString& text,
                                    const QString& button, const std::function<void()>& action) {
    if (!action) {
        return section.addRow(text, {}, nullptr);
    }
    auto* open = new KestleButton(button);
    QObject::connect(open, &QAbstractButton::clicked, open, [action] { action(); });
    return section.addRow(text, {}, open);
}

} // namespace

GeneralSettings::GeneralSettings(Services services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    auto* form = new VelmarSettingsForm(this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(form);
    addLanguage(*form);
    addStartup(*form);
    addNotifications(*form);
    addApplication(*form);
    // The user may have allowed notifications elsewhere meanwhile.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (appeared_ && state == Qt::ApplicationActive) {
                    refreshNotifications();
                }
            });
}

bool GeneralSettings::needsRelaunch(const std::optional<QString>& chosen,
                                    const std::optional<QString>& launched) {
    if (!chosen || !launched) {
        return chosen.has_value() != launched.has_value();
    }
    return *chosen != *launched;
}

void GeneralSettings::addLanguage(VelmarSettingsForm& form) {
    auto* section =
        form.addSection(tr("Language"), PlatformWords::text(PlatformWord::languageFooter));
    language_ = new SettingsPicker;
    for (AppLanguage language : AppLanguages::all()) {
        language_->addItem(languageName(language), static_cast<int>(language));
    }
    const AppLanguage current = AppLanguages::current(services_.defaults.get());
    language_->setCurrentIndex(language_->findData(static_cast<int>(current)));
    section->addRow(tr("Language"), {}, language_);
    relaunchRow_ = messageRow(*section, tr("VelmarKestle changes language when it relaunches."),
                              tr("Relaunch Now"), [this] {
                                  if (services_.relaunch) {
                                      services_.relaunch();
                                  }
                              });
    chooseLanguage(current);
    connect(language_, &QComboBox::activated, this, [this](int index) {
        const auto language = static_cast<AppLanguage>(language_->itemData(index).toInt());
        if (services_.defaults) {
            AppLanguages::choose(*services_.defaults, language);
        }
        chooseLanguage(language);
    });
}

void GeneralSettings::chooseLanguage(AppLanguage language) {
    const auto chosen =
        AppLanguages::resolved(services_.available, language, services_.systemLanguages);
    relaunchRow_->setVisible(needsRelaunch(chosen, services_.launchLanguage));
}

void GeneralSettings::addStartup(VelmarSettingsForm& form) {
    auto* section = form.addSection(tr("Startup"));
    openAtLogin_ = new SettingsSwitch;
    section->addRow(tr("Open at login"), tr("Starts without a window and checks for updates."),
                    openAtLogin_);
    approvalRow_ =
        messageRow(*section, PlatformWords::text(PlatformWord::loginNeedsApproval),
                   PlatformWords::text(PlatformWord::openSettings), services_.openLoginItems);
    ToneLabel* error = VelmarSettingsForm::note({}, nullptr);
    error->setTone(ToneLabel::Tone::primary);
    loginError_ = error;
    loginErrorRow_ = section->addContent(loginError_);
    loginErrorRow_->hide();
    readLoginItem();
    // clicked, not toggled: reading the status back sets the switch without a change.
    connect(openAtLogin_, &QAbstractButton::clicked, this,
            [this](bool on) { changeOpenAtLogin(on); });

    trayIcon_ = new SettingsSwitch;
    const bool stored = services_.defaults
                            ? services_.defaults->boolean(TrayIcon::preference).value_or(true)
                            : true;
    trayIcon_->setChecked(stored);
    auto* trayControl = new QWidget;
    auto* trayLine = new QHBoxLayout(trayControl);
    trayLine->setContentsMargins(0, 0, 0, 0);
    trayLine->setSpacing(8);
    trayReason_ = VelmarSettingsForm::note(tr("This desktop has no tray."), trayControl);
    trayReason_->setWordWrap(false);
    trayLine->addWidget(trayReason_);
    trayLine->addWidget(trayIcon_);
    const bool hasTray = services_.tray && services_.tray->isAvailable();
    trayIcon_->setEnabled(hasTray);
    trayReason_->setVisible(!hasTray);
    section->addRow(tr("Show in the menu bar"),
                    tr("Updates and apps a click away, even with the window closed."), trayControl);
    trayIcon_->setAccessibleName(tr("Show in the menu bar"));
    if (!hasTray) {
        trayIcon_->setAccessibleDescription(trayReason_->text());
    }
    connect(trayIcon_, &QAbstractButton::toggled, this, [this](bool on) {
        if (services_.tray) {
            services_.tray->setShown(on);
        }
    });
}

void GeneralSettings::changeOpenAtLogin(bool on) {
    const auto changed =
        services_.setOpenAtLogin ? services_.setOpenAtLogin(on) : std::expected<void, QString>();
    if (changed) {
        loginErrorRow_->hide();
    } else {
        //: Opening at login could not be changed: the system's description of why
        loginError_->setText(tr("Couldn’t change the login item: %1").arg(changed.error()));
        loginErrorRow_->show();
    }
    readLoginItem();
}

void GeneralSettings::readLoginItem() {
    const LoginItem::Status status =
        services_.loginStatus ? services_.loginStatus() : LoginItem::Status::notRegistered;
    openAtLogin_->setChecked(status == LoginItem::Status::enabled);
    approvalRow_->setVisible(status == LoginItem::Status::requiresApproval);
}

void GeneralSettings::addNotifications(VelmarSettingsForm& form) {
    auto* section = form.addSection(
        tr("Notifications"), tr("“Notify Me” on an app that’s coming soon works whatever this "
                                "setting."));
    notifications_ = new SettingsSwitch;
    notifications_->setChecked(
        services_.defaults ? services_.defaults->boolean("notifiesUpdates").value_or(true) : true);
    section->addRow(tr("Update notifications"), tr("A notice when there’s a new version."),
                    notifications_);
    connect(notifications_, &QAbstractButton::toggled, this, [this](bool on) {
        if (services_.defaults) {
            services_.defaults->set("notifiesUpdates", on);
        }
    });
    std::function<void()> open;
    if (services_.notifier && services_.notifier->canOpenNotificationSettings()) {
        open = [notifier = services_.notifier] {
            if (notifier) {
                notifier->openNotificationSettings();
            }
        };
    }
    deniedRow_ = messageRow(*section, PlatformWords::text(PlatformWord::notificationsOff),
                            PlatformWords::text(PlatformWord::openSettings), open);
    deniedRow_->hide();
}

void GeneralSettings::addApplication(VelmarSettingsForm& form) {
    auto* section = form.addSection(tr("Application"));
    auto* version = new QLabel(services_.versionText);
    version->setTextFormat(Qt::PlainText);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    version->setFont(KestleStyle::font(13, QFont::Normal));
    version->setAccessibleName(services_.versionText);
    section->addRow(tr("Version"), {}, version);

    auto* tipBox = new QWidget;
    auto* tipColumn = new QVBoxLayout(tipBox);
    tipColumn->setContentsMargins(0, 0, 0, 0);
    tipColumn->setSpacing(10);
    tipColumn->addWidget(VelmarSettingsForm::note(
        tr("VelmarKestle is free. If you’d like to support the project and help us keep it "
           "maintained, you can buy us a coffee."),
        tipBox));
    tip_ = new KofiImageButton(kTipHeight, tipBox);
    tipColumn->addWidget(tip_, 0, Qt::AlignLeft);
    connect(tip_, &QAbstractButton::clicked, this, [this] {
        if (services_.openTipPage) {
            services_.openTipPage();
        }
    });
    section->addContent(tipBox);
}

void GeneralSettings::refreshNotifications() {
    if (!services_.notifier) {
        deniedRow_->hide();
        return;
    }
    QPointer<GeneralSettings> self(this);
    services_.notifier->notificationsDenied([self](bool denied) {
        if (self) {
            self->deniedRow_->setVisible(denied);
        }
    });
}

void GeneralSettings::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!appeared_) {
        appeared_ = true;
        refreshNotifications();
    }
}

} // namespace kestle::app
