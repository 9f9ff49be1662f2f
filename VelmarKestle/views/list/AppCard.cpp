#include "views/list/AppCard.hpp"

#include <algorithm>

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/AppIconView.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/AppIconButton.hpp"
#include "views/controls/NameButton.hpp"
#include "views/controls/SiteLink.hpp"
#include "views/entry/EntryActions.hpp"
#include "views/entry/EntryChip.hpp"
#include "views/entry/EntryText.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kPadTop = 16;
constexpr int kPad = 18;
constexpr int kStackSpacing = 14;
constexpr int kTopSpacing = 10;
constexpr int kTopMinHeight = 22;
constexpr int kIconSpacing = 14;
constexpr int kNameSpacing = 2;
constexpr qreal kIconSize = 58;
constexpr qreal kNameSize = 19;
constexpr qreal kSiteFont = 12;
constexpr qreal kTaglineFont = 13;
constexpr qreal kVersionFont = 12.5;

} // namespace

AppCard::AppCard(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent)
    : SurfacePanel(parent), model_(model), entry_(std::move(entry)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(kPad, kPadTop, kPad, kPad);
    stack->setSpacing(kStackSpacing);
    stack->setAlignment(Qt::AlignTop);

    topRow_ = new QHBoxLayout();
    topRow_->setSpacing(kTopSpacing);
    chip_ = new EntryChip(model_, entry_, false, this);
    topRow_->addWidget(chip_, 0, Qt::AlignVCenter);
    topRow_->addStretch(1);
    auto* topHolder = new QWidget(this);
    topHolder->setLayout(topRow_);
    topRow_->setContentsMargins(0, 0, 0, 0);
    topHolder->setMinimumHeight(kTopMinHeight);
    stack->addWidget(topHolder);

    auto* identity = new QHBoxLayout();
    identity->setSpacing(kIconSpacing);
    icon_ = new AppIconView(entry_, EntryText::catalogIcon(model_, entry_), kIconSize);
    iconButton_ = new AppIconButton(icon_, this);
    identity->addWidget(iconButton_, 0, Qt::AlignVCenter);
    auto* names = new QVBoxLayout();
    names->setSpacing(kNameSpacing);
    name_ = new NameButton(QString::fromStdString(entry_.app.name), kNameSize, this);
    tagline_ = new ToneLabel(ToneLabel::Tone::secondary, this);
    tagline_->setTextFormat(Qt::PlainText);
    tagline_->setWordWrap(true);
    tagline_->setFont(KestleStyle::font(kTaglineFont, QFont::Normal));
    names->addWidget(name_, 0, Qt::AlignLeading);
    names->addWidget(tagline_);
    identity->addLayout(names, 1);
    identity->setAlignment(names, Qt::AlignVCenter);
    stack->addLayout(identity);

    version_ = new ToneLabel(ToneLabel::Tone::secondary, this);
    version_->setTextFormat(Qt::PlainText);
    QFont versionFont = KestleStyle::font(kVersionFont, QFont::Normal);
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    versionFont.setFeature(QFont::Tag("tnum"), 1);
#endif
    version_->setFont(versionFont);
    // With the count of versions an update brings, the line can outgrow a narrow card.
    version_->setWordWrap(true);
    stack->addWidget(version_);

    actions_ = new EntryActions(model_, entry_, std::move(actions), false, this);
    stack->addWidget(actions_);

    connect(iconButton_, &QAbstractButton::clicked, this, &AppCard::openDetail);
    connect(name_, &QAbstractButton::clicked, this, &AppCard::openDetail);

    refreshTexts();
}

void AppCard::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    icon_->setIcon(entry_, EntryText::catalogIcon(model_, entry_));
    name_->setName(QString::fromStdString(entry_.app.name));
    actions_->setEntry(entry_);
    chip_->setEntry(entry_);
    refreshTexts();
}

void AppCard::refreshTexts() {
    const QString name = QString::fromStdString(entry_.app.name);
    //: Accessibility label of a card's icon: the app's name
    iconButton_->setAccessibleName(tr("Open the Page of %1").arg(name));
    // Catalog texts arrive already in the model's language.
    tagline_->setText(QString::fromStdString(entry_.app.tagline.text(model_.language())));
    version_->setText(versionLine(entry_));

    if (entry_.app.site) {
        if (!site_) {
            //: Link at the top of a card to the app's web page
            site_ = new SiteLink(*entry_.app.site, tr("Site"),
                                 KestleStyle::font(kSiteFont, QFont::DemiBold), this);
            topRow_->addWidget(site_, 0, Qt::AlignVCenter);
        }
        site_->setSite(*entry_.app.site);
        site_->show();
    } else if (site_) {
        site_->hide();
    }
}

void AppCard::openDetail() {
    model_.setDetail(entry_.id());
}

void AppCard::changeEvent(QEvent* event) {
    SurfacePanel::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        refreshTexts();
    }
}

QString AppCard::versionLine(const AppEntry& entry) {
    using Status = AppEntry::Status;
    const QString installed =
        entry.installed ? QString::fromStdString(entry.installed->version) : QString();
    const QString latest = entry.latest ? QString::fromStdString(entry.latest->version) : QString();
    const std::optional<std::chrono::sys_seconds> date =
        entry.latest ? entry.latest->date : std::nullopt;
    switch (entry.status()) {
    case Status::coming:
        //: Version line of a card of an app not yet released
        return tr("In development, release date to be announced");
    case Status::updateAvailable: {
        QString versions;
        if (date) {
            //: Version line with an update: installed version, new version, release date
            versions = tr("%1 installed → %2 released %3")
                           .arg(installed, latest, LocaleFormat::releaseDate(*date));
        } else {
            //: Version line with an update of unknown date: installed and new version
            versions = tr("%1 installed → %2").arg(installed, latest);
        }
        return versions + QStringLiteral(" · ") + EntryText::versionsNewer(entry);
    }
    case Status::installed:
        // The feed's date belongs to the installed build only when the feed is not
        // ahead of it.
        if (entry.isUpToDate() && date) {
            //: Version line of an up-to-date app: installed version, release date
            return tr("Version %1 · released %2").arg(installed, LocaleFormat::releaseDate(*date));
        }
        //: Version line of an installed app: its version
        return tr("Version %1").arg(installed);
    case Status::notInstalled:
        if (!entry.latest) {
            //: Version line of an app whose feed could not be read
            return tr("Latest version not available");
        }
        if (date && entry.latest->length) {
            const auto bytes = static_cast<uint64_t>(std::max<int64_t>(0, *entry.latest->length));
            //: Version line of an app not installed: version, release date, download size
            return tr("Version %1 · %2 · %3")
                .arg(latest, LocaleFormat::releaseDate(*date), LocaleFormat::byteCount(bytes));
        }
        //: Version line of an app not installed: its version
        return tr("Version %1").arg(latest);
    }
    return {};
}

} // namespace kestle::app
