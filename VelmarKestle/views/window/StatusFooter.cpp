#include "views/window/StatusFooter.hpp"

#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "views/components/BusyIndicator.hpp"
#include "views/components/CheckTimeRefresh.hpp"
#include "views/components/Hairline.hpp"
#include "views/components/SymbolView.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/PlainButton.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"

namespace kestle::app {

namespace {

constexpr qreal kFontSize = 12;
constexpr int kSpacing = 6;
constexpr int kIndicator = 12;
constexpr int kPaddingX = 16;
constexpr int kHeight = 30;

std::chrono::sys_seconds seconds(Clock::time_point time) {
    return std::chrono::time_point_cast<std::chrono::seconds>(time);
}

QDate localDate(Clock::time_point time) {
    return QDateTime::fromSecsSinceEpoch(seconds(time).time_since_epoch().count()).date();
}

} // namespace

StatusFooter::StatusFooter(KestleModel& model, AppActions actions, QWidget* parent)
    : QWidget(parent), model_(model), actions_(std::move(actions)),
      busy_(new BusyIndicator(kIndicator, this)),
      symbol_(new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), kIndicator,
                             SymbolView::Tone::danger, this)),
      text_(new ToneLabel(ToneLabel::Tone::secondary, this)),
      tryAgain_(
          new PlainButton(tr("Try Again"), KestleStyle::font(kFontSize, QFont::Medium), this)),
      report_(new PlainButton(tr("Report a Problem…"), KestleStyle::font(kFontSize, QFont::Medium),
                              this)),
      platform_(new ToneLabel(ToneLabel::Tone::secondary, this)),
      ageing_(new CheckTimeRefresh(model.setup().now, this)) {
    setMinimumHeight(kHeight);
    platform_->setText(
        PlatformWords::text(PlatformWord::installsFor).arg(PlatformWords::processor()));
    text_->setTextFormat(Qt::PlainText);
    for (QLabel* label : {text_, platform_}) {
        label->setFont(KestleStyle::font(kFontSize, QFont::Normal));
    }
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kPaddingX, 0, kPaddingX, 0);
    row->setSpacing(kSpacing);
    row->addWidget(busy_, 0, Qt::AlignVCenter);
    row->addWidget(symbol_, 0, Qt::AlignVCenter);
    row->addWidget(text_, 0, Qt::AlignVCenter);
    row->addWidget(tryAgain_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(report_, 0, Qt::AlignVCenter);
    row->addSpacing(kSpacing * 2);
    row->addWidget(platform_, 0, Qt::AlignVCenter);

    connect(tryAgain_, &QAbstractButton::clicked, this,
            [this] { model_.check(CheckReason::user); });
    connect(report_, &QAbstractButton::clicked, this, [this] {
        if (actions_.reportProblem) {
            actions_.reportProblem(std::nullopt, model_);
        }
    });
    for (auto signal : {&KestleModel::isCheckingChanged, &KestleModel::resultChanged,
                        &KestleModel::lastCheckChanged}) {
        connect(&model_, signal, this, &StatusFooter::refresh);
    }
    connect(ageing_, &CheckTimeRefresh::changed, this, &StatusFooter::refresh);
    refresh();
}

QString StatusFooter::statusText() const {
    return status_ == Status::none ? QString() : text_->text();
}

std::optional<QString> StatusFooter::problemText(const KestleModel& model) {
    const auto& result = model.result();
    if (result && result->catalogFailure) {
        switch (result->catalogFailure->kind) {
        case CheckFailure::Kind::server:
            //: The catalog server answered with an error: the HTTP status
            return tr("velmar’s server answered with an error (%1).")
                .arg(result->catalogFailure->status);
        case CheckFailure::Kind::invalid:
            return tr("The list of apps isn’t signed by velmar.");
        case CheckFailure::Kind::offline:
            return tr("Can’t reach velmar: no connection.");
        }
    }
    const std::vector<std::string> failed = model.failedFeedNames();
    if (!failed.empty()) {
        QStringList names;
        for (const std::string& name : failed) {
            names << QString::fromStdString(name);
        }
        //: Feeds that failed: the app names as a list ("A, B and C")
        return tr("Couldn’t check %1.").arg(LocaleFormat::andList(names));
    }
    return std::nullopt;
}

QString StatusFooter::checkTimeText(Clock::time_point lastCheck, Clock::time_point now) {
    if (now - lastCheck < std::chrono::seconds(60)) {
        return tr("Checked just now");
    }
    const QDate day = localDate(lastCheck);
    const QDate today = localDate(now);
    if (day == today) {
        //: The time of the last check today
        return tr("Checked today at %1").arg(LocaleFormat::timeOfDay(seconds(lastCheck)));
    }
    if (day == today.addDays(-1)) {
        //: The time of the last check yesterday
        return tr("Checked yesterday at %1").arg(LocaleFormat::timeOfDay(seconds(lastCheck)));
    }
    //: The date of the last check (day, short month, year)
    return tr("Checked on %1").arg(LocaleFormat::releaseDate(seconds(lastCheck)));
}

QString StatusFooter::sourceText(const Setup& setup) {
    if (setup.isSample) {
        return tr("sample catalog");
    }
    QString domain;
    if (setup.catalogURL) {
        const std::string host = setup.catalogURL->host();
        domain = QString::fromStdString(host.empty() ? setup.catalogURL->str() : host);
    }
    //: Where the list of apps comes from: the maker's web domain
    return tr("catalog from %1").arg(domain);
}

void StatusFooter::refresh() {
    std::optional<QString> problem;
    if (model_.isChecking()) {
        status_ = Status::checking;
        text_->setText(tr("Checking for updates…"));
    } else if ((problem = problemText(model_))) {
        status_ = Status::problem;
        text_->setText(*problem);
    } else if (model_.lastCheck()) {
        status_ = Status::checked;
        text_->setText(checkTimeText(*model_.lastCheck(), model_.setup().now()) +
                       QStringLiteral(" · ") + sourceText(model_.setup()));
    } else {
        status_ = Status::none;
        text_->clear();
    }
    busy_->setVisible(status_ == Status::checking);
    symbol_->setVisible(status_ == Status::problem);
    tryAgain_->setVisible(status_ == Status::problem);
    text_->setVisible(status_ != Status::none);
    ageing_->watch(status_ == Status::checked ? model_.lastCheck() : std::nullopt);
}

void StatusFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Hairline::paint(painter, QRectF(0, 0, width(), Hairline::thickness), palette());
}

} // namespace kestle::app
