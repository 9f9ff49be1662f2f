#include "views/settings/UpdateSettings.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "services/DailyCheck.hpp"
#include "services/SelfUpdater.hpp"
#include "views/components/CheckTimeRefresh.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/settings/SettingsSwitch.hpp"
#include "views/settings/VelmarSettingsForm.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/window/StatusFooter.hpp"

namespace kestle::app {

UpdateSettings::UpdateSettings(KestleModel& model, DailyCheck& daily, SelfUpdater* updater,
                               QString versionText, QWidget* parent)
    : QWidget(parent), model_(model), daily_(daily), updater_(updater),
      checksDaily_(new SettingsSwitch), ageing_(new CheckTimeRefresh(model.setup().now, this)) {
    auto* form = new VelmarSettingsForm(this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(form);

    //: Header of the settings about the maker's apps
    auto* apps =
        form->addSection(tr("velmar Apps"), PlatformWords::text(PlatformWord::requestsFooter));
    const auto& defaults = model_.defaults();
    checksDaily_->setChecked(defaults ? defaults->boolean(checksDailyKey).value_or(true) : true);
    apps->addRow(tr("Check every day"),
                 tr("Reads the list of versions on velmar’s site. You install each update "
                    "yourself, with a click."),
                 checksDaily_);
    connect(checksDaily_, &QAbstractButton::toggled, this, [this](bool on) {
        if (const auto& store = model_.defaults()) {
            store->set(checksDailyKey, on);
        }
        daily_.setActive(on);
        if (updater_) {
            updater_->setAutomaticChecks(on);
        }
    });

    auto* lastCheck = new QWidget;
    auto* line = new QHBoxLayout(lastCheck);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(10);
    auto* shown = new ToneLabel(ToneLabel::Tone::secondary, lastCheck);
    shown->setFont(KestleStyle::font(13, QFont::Normal));
    shown->setTextFormat(Qt::PlainText);
    lastCheck_ = shown;
    checkNow_ = new KestleButton(tr("Check Now"), false, false, lastCheck);
    line->addWidget(lastCheck_);
    line->addWidget(checkNow_);
    apps->addRow(tr("Last check"), {}, lastCheck);
    checkNow_->setAccessibleDescription(tr("Last check"));
    connect(checkNow_, &QAbstractButton::clicked, this,
            [this] { model_.check(CheckReason::user); });

    auto* folder = new ToneLabel(ToneLabel::Tone::secondary);
    folder->setFont(KestleStyle::font(13, QFont::Normal));
    //: The folder apps are installed into
    folder->setText(tr("Applications"));
    folder->setAccessibleName(folder->text());
    apps->addRow(tr("Where apps go"), PlatformWords::text(PlatformWord::whereAppsGo), folder);

    if (updater_ && updater_->isConfigured()) {
        auto* own = form->addSection(QStringLiteral("VelmarKestle"));
        auto* check = new KestleButton(tr("Check Now"));
        selfCheck_ = check;
        //: The application's own name and version, beside its update check
        const QString title = tr("VelmarKestle %1").arg(versionText);
        own->addRow(title, {}, check);
        connect(check, &QAbstractButton::clicked, this, [this] {
            if (updater_) {
                updater_->checkForUpdates();
            }
        });
    }

    connect(&model_, &KestleModel::lastCheckChanged, this, &UpdateSettings::refreshLastCheck);
    connect(ageing_, &CheckTimeRefresh::changed, this, &UpdateSettings::refreshLastCheck);
    refreshLastCheck();
}

void UpdateSettings::refreshLastCheck() {
    const auto& last = model_.lastCheck();
    //: The last check of the apps has not happened yet
    lastCheck_->setText(last ? StatusFooter::checkTimeText(*last, model_.setup().now())
                             : tr("Never"));
    ageing_->watch(last);
}

} // namespace kestle::app
