#include "views/jobs/UpdateToast.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "views/components/Decorative.hpp"
#include "views/jobs/ToastButton.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SoftShadow.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kFontSize = 13;
constexpr int kSpacing = 12;
constexpr int kLeading = 16;
constexpr int kTrailing = 16;
constexpr int kTrailingWithButton = 8;
constexpr int kMinHeight = 38;
constexpr qreal kRadius = 14;
constexpr int kShadowSpread = 15;
constexpr int kShadowOffset = 10;
constexpr double kShadowOpacity = 0.3;

// An alert to screen readers, named by its text; the label inside is not read again.
QAccessibleInterface* toastFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(UpdateToast::staticMetaObject.className()) &&
        object != nullptr && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    }
    return nullptr;
}

class Pill : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(KestleStyle::roundedRect(rect(), kRadius),
                         VelmarTheme::color(VelmarTheme::Color::accent, palette()));
    }
};

} // namespace

UpdateToast::UpdateToast(QWidget* parent)
    : QWidget(parent), pill_(new Pill(this)), row_(new QHBoxLayout(pill_)),
      label_(new QLabel(pill_)) {
    static const bool installed = [] {
        QAccessible::installFactory(toastFactory);
        return true;
    }();
    (void)installed;
    Decorative::mark(*label_);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(shadowMargins());
    outer->addWidget(pill_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // The shadow is painted here rather than by a graphics effect: the overlay fades
    // the whole toast with one, and Qt cannot nest them.
    pill_->setMinimumHeight(kMinHeight);

    row_->setSpacing(kSpacing);
    row_->setContentsMargins(kLeading, 0, kTrailing, 0);
    label_->setFont(KestleStyle::font(kFontSize, QFont::Medium));
    label_->setTextFormat(Qt::PlainText);
    row_->addWidget(label_);
    applyColors();
}

UpdateToast::~UpdateToast() = default;

QMargins UpdateToast::shadowMargins() {
    return {kShadowSpread, kShadowSpread, kShadowSpread, kShadowSpread + kShadowOffset};
}

void UpdateToast::paintEvent(QPaintEvent*) {
    const QRect pill = pill_->geometry();
    if (shadow_.size() != pill.size() + QSize(2 * kShadowSpread, 2 * kShadowSpread)) {
        shadow_ = SoftShadow::image(
            KestleStyle::roundedRect(QRectF(QPointF(), QSizeF(pill.size())), kRadius), pill.size(),
            kShadowSpread, kShadowOpacity);
    }
    QPainter painter(this);
    painter.drawImage(pill.topLeft() + QPoint(-kShadowSpread, kShadowOffset - kShadowSpread),
                      shadow_);
}

void UpdateToast::setContent(const QString& text, const std::optional<QString>& button,
                             std::function<void()> action) {
    label_->setText(text);
    setAccessibleName(text);
    if (button_ != nullptr) {
        // Later: the content may be replaced from the old button's own click.
        row_->removeWidget(button_);
        button_->hide();
        button_->deleteLater();
        button_ = nullptr;
    }
    action_ = std::move(action);
    if (button && action_) {
        button_ = new ToastButton(*button, pill_);
        connect(button_, &QAbstractButton::clicked, this, [this] {
            // The action may replace this toast's content, and with it this button.
            auto action = action_;
            action();
        });
        row_->addWidget(button_);
    }
    row_->setContentsMargins(kLeading, 0, button_ ? kTrailingWithButton : kTrailing, 0);
    adjustSize();
}

QString UpdateToast::text() const {
    return label_->text();
}

ToastButton* UpdateToast::button() const {
    return button_;
}

void UpdateToast::applyColors() {
    KestleStyle::setColor(*label_, QPalette::WindowText,
                          VelmarTheme::color(VelmarTheme::Color::onAccent, palette()));
}

void UpdateToast::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
}

QString UpdateToast::noticeText(const UpdateNotice& notice) {
    const QString name = QString::fromStdString(notice.name);
    const QString text = QString::fromStdString(notice.text);
    switch (notice.kind) {
    case UpdateNotice::Kind::updated:
        //: Toast after an update: the app's name and its new version
        return tr("%1 is updated to %2").arg(name, text);
    case UpdateNotice::Kind::canceled:
        //: Toast after a canceled update: the installed version that stays
        return tr("Update canceled: %1 stays").arg(text);
    case UpdateNotice::Kind::installed:
        //: Toast after a first install: the app's name
        return tr("%1 is installed").arg(name);
    case UpdateNotice::Kind::noUpdate:
        //: Toast when the app's own updater found nothing newer
        return tr("%1 has no update to install").arg(name);
    case UpdateNotice::Kind::downloadCanceled:
        //: Toast after a canceled first install
        return tr("Download canceled");
    case UpdateNotice::Kind::wentBack:
        //: Toast after going back to the version before the last update: the app's name
        //: and that version
        return tr("%1 is back to %2").arg(name, text);
    }
    return {};
}

} // namespace kestle::app
