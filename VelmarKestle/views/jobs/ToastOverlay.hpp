#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include <QObject>
#include <QPointer>

#include "services/AppActions.hpp"

class QGraphicsOpacityEffect;
class QTimer;
class QVariantAnimation;
class QWidget;

namespace kestle::app {

class KestleModel;
class UpdateToast;

// Floats one toast over the bottom of a window: the model's banner if there is one,
// else the queue's notice. Each stays for its time (a banner's own seconds, a notice
// 4.2 s) and then dismisses itself by id, so an older timer never removes a newer
// message. The toast fades in and out, and slides in unless motion is reduced.
class ToastOverlay : public QObject {
    Q_OBJECT

public:
    // The actions' open serves the "Open" button of an installed app's notice. The
    // model and the window must outlive the overlay.
    ToastOverlay(KestleModel& model, QWidget* window, AppActions actions);
    ~ToastOverlay() override;

    struct Shown {
        enum class Source { banner, notice };
        Source source;
        int64_t id;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    // What the toast shows, or nothing while it is gone or fading out.
    const std::optional<Shown>& shown() const { return shown_; }
    UpdateToast* toast() const { return toast_; }

    void setNoticeDuration(std::chrono::milliseconds duration);
    void setFadeDuration(std::chrono::milliseconds duration);
    static constexpr std::chrono::milliseconds defaultNoticeDuration{4200};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void fill(const Shown& shown);
    // Tells screen readers a toast has appeared.
    void announce(bool replacing);
    void transition(double to);
    void apply(double progress);
    void expire();

    KestleModel& model_;
    QWidget* window_;
    AppActions actions_;
    QPointer<UpdateToast> toast_;
    QGraphicsOpacityEffect* opacity_;
    QVariantAnimation* animation_;
    QTimer* timer_;
    std::optional<Shown> shown_;
    double progress_ = 0; // 0 gone, 1 in place
    std::chrono::milliseconds noticeDuration_ = defaultNoticeDuration;
    std::chrono::milliseconds fadeDuration_{200};
};

} // namespace kestle::app
