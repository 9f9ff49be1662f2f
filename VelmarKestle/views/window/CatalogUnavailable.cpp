#include "views/window/CatalogUnavailable.hpp"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/BusyIndicator.hpp"
#include "views/components/SymbolView.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr int kSymbolSize = 34;
constexpr int kIndicatorSize = 22;
constexpr qreal kTitleSize = 17;
constexpr qreal kMessageSize = 13;
constexpr int kSpacing = 10;
constexpr int kMessageWidth = 420;

} // namespace

CatalogUnavailable::CatalogUnavailable(KestleModel& model, QWidget* parent)
    : QWidget(parent), model_(model), busy_(new BusyIndicator(kIndicatorSize, this)),
      symbol_(new SymbolView(QStringLiteral("exclamationmark.triangle"), kSymbolSize,
                             SymbolView::Tone::secondary, this)),
      title_(new QLabel(this)), message_(new ToneLabel(ToneLabel::Tone::secondary, this)),
      tryAgain_(new KestleButton(tr("Try Again"), false, false, this)) {
    title_->setFont(KestleStyle::font(kTitleSize, QFont::Bold));
    message_->setFont(KestleStyle::font(kMessageSize, QFont::Normal));
    message_->setMaximumWidth(kMessageWidth);
    for (QLabel* label : std::initializer_list<QLabel*>{title_, message_}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
    }

    auto* column = new QVBoxLayout(this);
    column->setSpacing(kSpacing);
    column->addStretch(1);
    column->addWidget(busy_, 0, Qt::AlignHCenter);
    column->addWidget(symbol_, 0, Qt::AlignHCenter);
    column->addWidget(title_, 0, Qt::AlignHCenter);
    column->addWidget(message_, 0, Qt::AlignHCenter);
    column->addWidget(tryAgain_, 0, Qt::AlignHCenter);
    column->addStretch(1);

    connect(tryAgain_, &QAbstractButton::clicked, this,
            [this] { model_.check(CheckReason::user); });
    connect(&model_, &KestleModel::isCheckingChanged, this, &CatalogUnavailable::refresh);
    connect(&model_, &KestleModel::resultChanged, this, &CatalogUnavailable::refresh);
    refresh();
}

QString CatalogUnavailable::title() const {
    return title_->text();
}

QString CatalogUnavailable::message() const {
    return message_->text();
}

QString CatalogUnavailable::message(const std::optional<CheckFailure>& failure) {
    if (failure && failure->kind == CheckFailure::Kind::server) {
        //: The catalog server answered with an error: the HTTP status
        return tr("velmar’s server answered with an error (%1). Try again in a few minutes.")
            .arg(failure->status);
    }
    if (failure && failure->kind == CheckFailure::Kind::invalid) {
        return tr("The list downloaded isn’t signed by velmar, so VelmarKestle doesn’t use it.");
    }
    return tr("Check the internet connection and try again.");
}

void CatalogUnavailable::refresh() {
    loading_ = model_.isChecking() || !model_.result();
    busy_->setVisible(loading_);
    symbol_->setVisible(!loading_);
    message_->setVisible(!loading_);
    tryAgain_->setVisible(!loading_);
    if (loading_) {
        title_->setFont(KestleStyle::font(kMessageSize, QFont::Normal));
        title_->setText(tr("Loading the Apps…"));
        message_->clear();
    } else {
        title_->setFont(KestleStyle::font(kTitleSize, QFont::Bold));
        title_->setText(tr("Can’t Load the List of Apps"));
        message_->setText(message(model_.result()->catalogFailure));
    }
}

} // namespace kestle::app
