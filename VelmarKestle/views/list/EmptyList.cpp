#include "views/list/EmptyList.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "platform/PlatformWords.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/CapsuleButton.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr qreal kTitleSize = 15;
constexpr qreal kSubtitleSize = 13;
constexpr int kSpacing = 6;
constexpr int kButtonTop = 4;
constexpr int kPadding = 40;

} // namespace

EmptyList::EmptyList(KestleModel& model, QWidget* parent)
    : QWidget(parent), model_(model), title_(new QLabel(this)),
      subtitle_(new ToneLabel(ToneLabel::Tone::secondary, this)),
      showAll_(new CapsuleButton(tr("Show All Apps"), this)) {
    title_->setFont(KestleStyle::font(kTitleSize, QFont::Bold));
    subtitle_->setFont(KestleStyle::font(kSubtitleSize, QFont::Normal));
    for (QLabel* label : std::initializer_list<QLabel*>{title_, subtitle_}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
    }

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, kPadding, 0, kPadding);
    column->setSpacing(kSpacing);
    column->addWidget(title_);
    column->addWidget(subtitle_);
    column->addSpacing(kButtonTop);
    column->addWidget(showAll_, 0, Qt::AlignHCenter);

    connect(showAll_, &QAbstractButton::clicked, this, [this] {
        model_.setFilter(AppFilter::all);
        model_.setQuery(QString());
        model_.setDetail(std::nullopt);
    });
    connect(&model_, &KestleModel::queryChanged, this, &EmptyList::refresh);
    connect(&model_, &KestleModel::filterChanged, this, &EmptyList::refresh);
    refresh();
}

EmptyList::Texts EmptyList::texts(const KestleModel& model) {
    const QString search = model.query().trimmed();
    if (!search.isEmpty()) {
        //: No app matches the search: the search text
        return {tr("No Apps for “%1”").arg(search),
                tr("Try another name, for example Brimble or Quarrow.")};
    }
    switch (model.filter()) {
    case AppFilter::installed:
        return {tr("No Apps Installed"),
                tr("The apps you install from here show up in this list.")};
    case AppFilter::updates:
        return {tr("Your Apps Are Up to Date"),
                tr("When a new version comes out, you’ll find it here.")};
    case AppFilter::all:
    case AppFilter::notInstalled:
        break;
    }
    return {tr("You Have All the Apps"), PlatformWords::text(PlatformWord::allAppsInstalled)};
}

QString EmptyList::title() const {
    return title_->text();
}

QString EmptyList::subtitle() const {
    return subtitle_->text();
}

void EmptyList::refresh() {
    const Texts shown = texts(model_);
    title_->setText(shown.title);
    subtitle_->setText(shown.subtitle);
}

} // namespace kestle::app
