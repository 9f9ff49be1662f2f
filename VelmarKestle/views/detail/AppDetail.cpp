#include "views/detail/AppDetail.hpp"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/AppIconView.hpp"
#include "views/components/StatusChip.hpp"
#include "views/controls/CapsuleButton.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/controls/SiteLink.hpp"
#include "views/detail/FactStrip.hpp"
#include "views/detail/ReleaseNotesView.hpp"
#include "views/entry/EntryText.hpp"
#include "views/entry/MoreItems.hpp"
#include "views/entry/MoreMenu.hpp"
#include "views/entry/NotifyMeButton.hpp"
#include "views/jobs/UpdateProblemRow.hpp"
#include "views/jobs/UpdateProgressRow.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kSpacing = 22;
constexpr int kHeaderStackSpacing = 6;
constexpr int kActionSpacing = 8;
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
constexpr int kChevronSpacing = 6;
constexpr int kCapsulePadding = 14;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The capsule back button with a chevron before its label.
class BackButton : public CapsuleButton {
public:
    explicit BackButton(QWidget* parent) : CapsuleButton({}, parent) {}

    QSize sizeHint() const override {
        QSize size = CapsuleButton::sizeHint();
        return {size.width() + qRound(kChevronSize) + kChevronSpacing, size.height()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette& pal = palette();
        auto fill =
            isDown() ? VelmarTheme::Color::controlFillHover : VelmarTheme::Color::controlFill;
        painter.fillPath(KestleStyle::capsule(rect()), VelmarTheme::color(fill, pal));
        const QColor ink = KestleStyle::primaryText(pal);
        const qreal middle = height() / 2.0;
        SystemSymbol::paint(painter, QPointF(kCapsulePadding + kChevronSize / 2, middle),
                            kChevronSize, u"chevron.left", ink, QFont::Bold);
        painter.setFont(font());
        painter.setPen(ink);
        const qreal left = kCapsulePadding + kChevronSize + kChevronSpacing;
        KestleStyle::drawLine(painter, QRectF(left, 0, width() - left - kCapsulePadding, height()),
                              text(), Qt::AlignLeading | Qt::AlignVCenter);
    }
};

// A borderless text button in the accent colour.
class PlainButton : public QAbstractButton {
public:
    explicit PlainButton(QWidget* parent) : QAbstractButton(parent) {
        setFont(KestleStyle::font(kTextSize, QFont::DemiBold));
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        return {KestleStyle::textWidth(font(), text()), fontMetrics().height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QColor ink = VelmarTheme::color(VelmarTheme::Color::accent, palette());
        if (isDown()) {
            ink.setAlphaF(0.6f);
        }
        painter.setFont(font());
        painter.setPen(ink);
        KestleStyle::drawLine(painter, rect(), text(), Qt::AlignLeading | Qt::AlignVCenter);
    }
};

// A hairline across the page.
class Hairline : public QWidget {
public:
    explicit Hairline(QWidget* parent) : QWidget(parent) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), SurfacePanel::separatorColor(palette()));
    }
};

} // namespace

AppDetail::AppDetail(KestleModel& model, AppEntry entry, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), entry_(std::move(entry)), actions_(std::move(actions)) {
    auto* page = new QWidget(this);
    page->setMaximumWidth(maximumPageWidth);
    page->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);

    back_ = new BackButton(page);
    column->addWidget(back_, 0, Qt::AlignLeading);

    // Header: icon, the name stack, and the controls at the far end.
    icon_ = new AppIconView(entry_, EntryText::catalogIcon(model_, entry_), kIconSize, page);
    chip_ = new StatusChip(entry_, std::nullopt, false, false, page);
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
    actionRow_ = new QWidget(page);
    actionRow_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    actionLayout_ = new QHBoxLayout(actionRow_);
    actionLayout_->setContentsMargins(0, 0, 0, 0);
    actionLayout_->setSpacing(kActionSpacing);
    auto* header = new QHBoxLayout;
    header->setSpacing(kSpacing);
    header->addWidget(icon_, 0, Qt::AlignVCenter);
    header->addLayout(names, 1);
    header->addSpacerItem(new QSpacerItem(kMinimumGap, 0, QSizePolicy::Expanding));
    header->addWidget(actionRow_, 0, Qt::AlignVCenter);
    column->addLayout(header);

    panel_ = new SurfacePanel(page);
    panelLayout_ = new QHBoxLayout(panel_);
    panelLayout_->setContentsMargins(kPanelPadX, kPanelPadY, kPanelPadX, kPanelPadY);
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
    report_ = new PlainButton(page);
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
    connect(&model_.queueSignals(), &UpdateQueueSignals::statesChanged, this,
            &AppDetail::refreshQueue);
    connect(&model_.queueSignals(), &UpdateQueueSignals::kindsChanged, this,
            &AppDetail::refreshQueue);
    refresh();
}

void AppDetail::setEntry(AppEntry entry) {
    if (entry_ == entry) {
        return;
    }
    entry_ = std::move(entry);
    icon_->setIcon(entry_, EntryText::catalogIcon(model_, entry_));
    if (progress_) {
        progress_->setEntry(entry_);
    }
    if (problem_) {
        problem_->setEntry(entry_);
    }
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
    name_->setText(qs(entry_.app.name));
    facts_->setFacts(FactStrip::facts(entry_));
    notes_->setVisible(notes_->setRelease(entry_.latest, model_.language()));
    summary_->setText(qs(entry_.app.summary.text(model_.language())));
    rebuildActions();
    rebuildLinks();
    refreshQueue();
}

void AppDetail::retranslate() {
    //: Back button of the detail page, to the list of apps
    back_->setText(tr("All Apps"));
    back_->setAccessibleName(back_->text());
    // Setting the text resets a button's shortcut to the text's mnemonic.
    back_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    //: Line under the app's name on the detail page: the tagline, then the maker
    tagline_->setText(tr("%1 · velmar").arg(qs(entry_.app.tagline.text(model_.language()))));
    //: Heading of the app's description on the detail page
    summaryTitle_->setText(tr("What It Does"));
    //: Button at the foot of the detail page
    report_->setText(tr("Report a Problem…"));
    report_->setAccessibleName(report_->text());
    report_->updateGeometry();
}

void AppDetail::rebuildActions() {
    // Old controls may be the sender of the click that led here.
    for (QAbstractButton* control : controls_) {
        control->hide();
        control->deleteLater();
    }
    if (more_) {
        more_->hide();
        more_->deleteLater();
        more_ = nullptr;
    }
    controls_.clear();
    while (QLayoutItem* item = actionLayout_->takeAt(0)) {
        delete item;
    }

    using Status = AppEntry::Status;
    const Status status = entry_.status();
    const QString latest = entry_.latest ? qs(entry_.latest->version) : QString();
    auto button = [this](const QString& text, bool prominent, auto action) {
        auto* control = new KestleButton(text, prominent, false, actionRow_);
        connect(control, &QAbstractButton::clicked, this, action);
        controls_.push_back(control);
        return control;
    };
    auto open = [this] {
        if (actions_.open) {
            actions_.open(entry_);
        }
    };
    switch (status) {
    case Status::updateAvailable:
        //: Main button of the detail page: the version an update brings
        button(tr("Update to %1").arg(latest), true, [this] { model_.queue().update(entry_); });
        //: Button of the detail page: opens the installed app
        button(tr("Open"), false, open);
        break;
    case Status::installed:
        button(tr("Open"), true, open);
        break;
    case Status::notInstalled:
        //: Main button of the detail page for an app not installed
        button(tr("Install"), true, [this] {
            model_.queue().install(entry_);
        })->setEnabled(entry_.latest.has_value());
        break;
    case Status::coming:
        controls_.push_back(new NotifyMeButton(model_, entry_, actions_, false, false, actionRow_));
        break;
    }
    for (QAbstractButton* control : controls_) {
        actionLayout_->addWidget(control);
    }
    if (status != Status::coming) {
        auto* items = new MoreItems(model_, entry_, actions_, MoreItems::Variant::detail);
        more_ = new MoreMenu(qs(entry_.app.name), items, actionRow_);
        actionLayout_->addWidget(more_);
    }
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

void AppDetail::refreshQueue() {
    const std::string& id = entry_.id();
    const std::optional<UpdateState> state = model_.queue().state(id);
    chip_->setState(entry_, state, model_.queue().kind(id) == JobKind::install);
    actionRow_->setVisible(!state);
    if (!state) {
        panel_->hide();
        return;
    }
    if (state->isRunning()) {
        if (!progress_) {
            progress_ = new UpdateProgressRow(model_, entry_, false, panel_);
            panelLayout_->addWidget(progress_);
        }
        progress_->show();
        if (problem_) {
            problem_->hide();
        }
    } else {
        if (!problem_) {
            problem_ = new UpdateProblemRow(model_, entry_, actions_, false, panel_);
            panelLayout_->addWidget(problem_);
        }
        problem_->show();
        if (progress_) {
            progress_->hide();
        }
    }
    panel_->show();
}

} // namespace kestle::app
