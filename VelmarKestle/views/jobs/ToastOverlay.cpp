#include "views/jobs/ToastOverlay.hpp"

#include <cmath>

#include <QAccessible>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

#include "model/KestleModel.hpp"
#include "views/components/AccessibleEvents.hpp"
#include "views/jobs/UpdateToast.hpp"
#include "views/style/MotionPreference.hpp"

namespace kestle::app {

namespace {

constexpr int kAboveBottom = 50;

} // namespace

ToastOverlay::ToastOverlay(KestleModel& model, QWidget* window, AppActions actions)
    : QObject(window), model_(model), window_(window), actions_(std::move(actions)),
      toast_(new UpdateToast(window)), opacity_(new QGraphicsOpacityEffect(toast_)),
      animation_(new QVariantAnimation(this)), timer_(new QTimer(this)) {
    toast_->setGraphicsEffect(opacity_);
    toast_->hide();
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &ToastOverlay::expire);
    animation_->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { apply(value.toDouble()); });
    connect(animation_, &QVariantAnimation::finished, this, [this] {
        if (progress_ <= 0) {
            toast_->hide();
        }
    });
    connect(&model_, &KestleModel::bannerChanged, this, &ToastOverlay::refresh);
    connect(&model_.queueSignals(), &UpdateQueueSignals::noticeChanged, this,
            &ToastOverlay::refresh);
    window_->installEventFilter(this);
    refresh();
}

ToastOverlay::~ToastOverlay() {
    // The toast belongs to the window, which may live on without the overlay.
    delete toast_;
}

void ToastOverlay::setNoticeDuration(std::chrono::milliseconds duration) {
    noticeDuration_ = duration;
}

void ToastOverlay::setFadeDuration(std::chrono::milliseconds duration) {
    fadeDuration_ = duration;
}

void ToastOverlay::refresh() {
    std::optional<Shown> next;
    if (const auto& banner = model_.banner()) {
        next = Shown{Shown::Source::banner, banner->id};
    } else if (const auto& notice = model_.queue().notice()) {
        next = Shown{Shown::Source::notice, notice->id};
    }
    if (next == shown_) {
        return;
    }
    shown_ = next;
    timer_->stop();
    // Still on screen (or fading out) with the content it is about to lose.
    const bool replacing = toast_->isVisible();
    if (!shown_) {
        transition(0);
        return;
    }
    fill(*shown_);
    std::chrono::milliseconds duration = noticeDuration_;
    if (shown_->source == Shown::Source::banner) {
        duration = std::chrono::milliseconds(std::llround(model_.banner()->seconds * 1000));
    }
    timer_->start(duration);
    toast_->show();
    toast_->raise();
    transition(1);
    announce(replacing);
}

void ToastOverlay::announce(bool replacing) {
    // Qt's desktop bridge on Linux drops Alert events; what it does pass on is the toast
    // starting to show, which a reader announces for an alert. Showing it made that
    // event; a toast that takes the place of another never stopped showing, so the
    // reader is told it went and came back.
    if (replacing) {
        QAccessibleEvent hidden(toast_, QAccessible::ObjectHide);
        AccessibleEvents::send(hidden);
        QAccessibleEvent shown(toast_, QAccessible::ObjectShow);
        AccessibleEvents::send(shown);
    }
    // Bridges elsewhere announce the alert itself.
    QAccessibleEvent alert(toast_, QAccessible::Alert);
    AccessibleEvents::send(alert);
}

void ToastOverlay::fill(const Shown& shown) {
    if (shown.source == Shown::Source::banner) {
        const Banner& banner = *model_.banner();
        toast_->setContent(banner.text, banner.button, banner.action);
        return;
    }
    const UpdateNotice& notice = *model_.queue().notice();
    if (notice.kind != UpdateNotice::Kind::installed) {
        toast_->setContent(UpdateToast::noticeText(notice));
        return;
    }
    //: Toast button: opens the app that was just installed
    QString open = tr("Open");
    toast_->setContent(UpdateToast::noticeText(notice), open,
                       [this, id = notice.id, appID = notice.appID] {
                           model_.queue().dismissNotice(id);
                           if (auto entry = model_.entry(appID); entry && actions_.open) {
                               actions_.open(*entry);
                           }
                       });
}

void ToastOverlay::transition(double to) {
    animation_->stop();
    if (fadeDuration_.count() <= 0 || !window_->isVisible()) {
        apply(to);
        if (to <= 0) {
            toast_->hide();
        }
        return;
    }
    animation_->setDuration(static_cast<int>(fadeDuration_.count()));
    animation_->setStartValue(progress_);
    animation_->setEndValue(to);
    animation_->start();
}

void ToastOverlay::apply(double progress) {
    progress_ = progress;
    opacity_->setOpacity(progress);
    QSize size = toast_->sizeHint().boundedTo(window_->size());
    toast_->resize(size);
    // The pill's bottom edge, not its shadow's, sits above the window's bottom.
    int restingY =
        window_->height() - kAboveBottom - size.height() + UpdateToast::shadowMargins().bottom();
    int slide = MotionPreference::isReduced(window_) ? 0 : window_->height() - restingY;
    toast_->move((window_->width() - size.width()) / 2,
                 restingY + static_cast<int>(std::lround((1 - progress) * slide)));
}

void ToastOverlay::expire() {
    if (!shown_) {
        return;
    }
    if (shown_->source == Shown::Source::banner) {
        model_.dismissBanner(shown_->id);
    } else {
        model_.queue().dismissNotice(shown_->id);
    }
}

bool ToastOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Resize && toast_->isVisibleTo(window_)) {
        apply(progress_);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kestle::app
