#include "views/detail/AppDetail.hpp"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/AppIconView.hpp"
#include "views/components/Hairline.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/components/SurfacePanel.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/CapsuleButton.hpp"
#include "views/controls/PlainButton.hpp"
#include "views/controls/SiteLink.hpp"
#include "views/detail/FactStrip.hpp"
#include "views/detail/ReleaseNotesView.hpp"
#include "views/entry/EntryChip.hpp"
#include "views/entry/EntryControls.hpp"
#include "views/entry/EntryText.hpp"
#include "views/entry/MoreMenu.hpp"
#include "views/jobs/JobRow.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr int kSpacing = 22;
constexpr int kHeaderStackSpacing = 6;
constexpr int kMinimumGap = 12;
constexpr qreal kIconSize = 108;
constexpr qreal kNameSize = 26;
constexpr qreal kNameTracking = -0.26;
constexpr qreal kTaglineSize = 14;
constexpr qreal kTitleSize = 15;
constexpr qreal kTextSize = 13;
constexpr int kSectionSpacing = 10;
constexpr int kFooterSpacing = 16;
constexpr int kSummaryWidth = 520;
constexpr int kPanelPadX = 16;
constexpr int kPanelPadY = 14;
constexpr qreal kChevronSize = 11;

} // namespace

AppDetail::AppDetail(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)), actions_(std::move(actions)) {
    auto* page = new QWidget(this);
    page->setMaximumWidth(maximumPageWidth);
    page->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);

    back_ = new CapsuleButton({}, page);
    back_->setSymbol(QStringLiteral("chevron.left"), kChevronSize);
    column->addWidget(back_, 0, Qt::AlignLeading);

    // Header: icon, the name stack, and the controls at the far end.
    icon_ = new AppIconView(entry_, EntryText::catalogIcon(model_, entry_), kIconSize, page);
    chip_ = new EntryChip(model_, entry_, false, page);
    name_ = new HeadingLabel({}, page);
    name_->setFont(KestleStyle::font(kNameSize, QFont::Bold, kNameTracking));
    name_->setTextFormat(Qt::PlainText);
    tagline_ = new ToneLabel(ToneLabel::Tone::secondary, page);
    tagline_->setFont(KestleStyle::font(kTaglineSize, QFont::Normal));
    tagline_->setTextFormat(Qt::PlainText);
    auto* names = new QVBoxLayout;
    names->setSpacing(kHeaderStackSpacing);
    // The stack stays together in the middle of the icon's height.
    names->addStretch(1);
    names->addWidget(chip_, 0, Qt::AlignLeading);
    names->addWidget(name_);
    names->addWidget(tagline_);
    names->addStretch(1);
    actionRow_ = new EntryControls(model_, entry_, actions_, EntryControls::Variant::detail, page);
    actionRow_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* header = new QHBoxLayout;
    header->setSpacing(kSpacing);
    header->addWidget(icon_, 0, Qt::AlignVCenter);
    header->addLayout(names, 1);
    header->addSpacerItem(new QSpacerItem(kMinimumGap, 0, QSizePolicy::Expanding));
    header->addWidget(actionRow_, 0, Qt::AlignVCenter);
    column->addLayout(header);

    panel_ = new SurfacePanel(page);
    auto* panelLayout = new QHBoxLayout(panel_);
    panelLayout->setContentsMargins(kPanelPadX, kPanelPadY, kPanelPadX, kPanelPadY);
    job_ = new JobRow(model_, entry_, actions_, false, panel_);
    panelLayout->addWidget(job_);
    column->addWidget(panel_);

    facts_ = new FactStrip({}, page);
    column->addWidget(facts_);

    notes_ = new ReleaseNotesView(page);
    column->addWidget(notes_);

    auto* about = new QVBoxLayout;
    about->setSpacing(kSectionSpacing);
    summaryTitle_ = new HeadingLabel({}, page);
    summaryTitle_->setFont(KestleStyle::font(kTitleSize, QFont::Bold));
    summary_ = new QLabel(page);
    summary_->setFont(KestleStyle::font(kTextSize, QFont::Normal));
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    summary_->setMaximumWidth(kSummaryWidth);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    about->addWidget(summaryTitle_);
    // Beside a stretch so its height is measured at its capped width.
    auto* summaryRow = new QHBoxLayout;
    summaryRow->addWidget(summary_, 1);
    summaryRow->addStretch(0);
    about->addLayout(summaryRow);
    column->addLayout(about);

    auto* footer = new QVBoxLayout;
    footer->setSpacing(kFooterSpacing);
    footer->addWidget(new Hairline(page));
    linkRow_ = new QHBoxLayout;
    linkRow_->setSpacing(kSpacing);
    report_ = new PlainButton({}, KestleStyle::font(kTextSize, QFont::DemiBold), page);
    linkRow_->addWidget(report_, 0, Qt::AlignVCenter);
    linkRow_->addStretch(1);
    footer->addLayout(linkRow_);
    column->addLayout(footer);
    column->addStretch(1);

    // The page keeps its width and sits in the middle of a wider window.
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addStretch(1);
    outer->addWidget(page, 100);
    outer->addStretch(1);

    connect(back_, &QAbstractButton::clicked, this, [this] { model_.setDetail(std::nullopt); });
    connect(report_, &QAbstractButton::clicked, this, [this] {
        if (actions_.reportProblem) {
            actions_.reportProblem(entry_, model_);
        }
    });
    connect(job_, &JobRow::modeChanged, this, &AppDetail::showJob);
    refresh();
}

QAbstractButton* AppDetail::backButton() const {
    return back_;
}

QWidget* AppDetail::actionRow() const {
    return actionRow_;
}

std::vector<QAbstractButton*> AppDetail::mainControls() const {
    return actionRow_->buttons();
}

MoreMenu* AppDetail::moreMenu() const {
    return actionRow_->moreMenu();
}

UpdateProgressRow* AppDetail::progressRow() const {
    return job_->progressRow();
}

UpdateProblemRow* AppDetail::problemRow() const {
    return job_->problemRow();
}

QAbstractButton* AppDetail::reportButton() const {
    return report_;
}

void AppDetail::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    icon_->setIcon(entry_, EntryText::catalogIcon(model_, entry_));
    chip_->setEntry(entry_);
    actionRow_->setEntry(entry_);
    job_->setEntry(entry_);
    refresh();
}

void AppDetail::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        refresh();
    }
    QWidget::changeEvent(event);
}

void AppDetail::refresh() {
    retranslate();
    name_->setText(QString::fromStdString(entry_.app.name));
    facts_->setFacts(FactStrip::facts(entry_));
    notes_->setVisible(notes_->setEntry(entry_, model_.language()));
    summary_->setText(QString::fromStdString(entry_.app.summary.text(model_.language())));
    rebuildLinks();
    showJob();
}

void AppDetail::retranslate() {
    //: Back button of the detail page, to the list of apps
    back_->setText(tr("All Apps"));
    back_->setAccessibleName(back_->text());
    // Setting the text resets a button's shortcut to the text's mnemonic.
    back_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    //: Line under the app's name on the detail page: the tagline, then the maker
    tagline_->setText(
        tr("%1 · velmar").arg(QString::fromStdString(entry_.app.tagline.text(model_.language()))));
    //: Heading of the app's description on the detail page
    summaryTitle_->setText(tr("What It Does"));
    //: Button at the foot of the detail page
    report_->setText(tr("Report a Problem…"));
    report_->setAccessibleName(report_->text());
    report_->updateGeometry();
}

void AppDetail::rebuildLinks() {
    const QString host = entry_.app.site ? EntryText::host(*entry_.app.site) : QString();
    if (site_ && (!entry_.app.site || site_->site() != *entry_.app.site)) {
        delete site_;
        site_ = nullptr;
    }
    if (entry_.app.site && !site_) {
        site_ = new SiteLink(*entry_.app.site, host, KestleStyle::font(kTextSize, QFont::DemiBold),
                             report_->parentWidget());
        linkRow_->insertWidget(0, site_, 0, Qt::AlignVCenter);
    }
}

void AppDetail::showJob() {
    const bool job = job_->mode() != JobRow::Mode::none;
    actionRow_->setVisible(!job);
    panel_->setVisible(job);
}

} // namespace kestle::app
