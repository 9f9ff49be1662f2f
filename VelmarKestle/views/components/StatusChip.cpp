#include "views/components/StatusChip.hpp"

#include <algorithm>

#include <QEvent>
#include <QLocale>
#include <QPainter>
#include <QtMath>

#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kFontSize = 11;
constexpr int kPaddingX = 7;
constexpr int kPaddingY = 2;
constexpr qreal kRadius = 5;
constexpr qreal kMinimumScale = 0.8;

// A handed-over job is the app's own business now; the chip shows the entry.
std::optional<UpdateState> ownJob(const std::optional<UpdateState>& update) {
    if (update && update->kind == UpdateState::Kind::handedToApp) {
        return std::nullopt;
    }
    return update;
}

} // namespace

StatusChip::StatusChip(AppEntry entry, std::optional<UpdateState> update, bool installing,
                       bool shrinks, QWidget* parent)
    : QWidget(parent), entry_(std::move(entry)), update_(update), installing_(installing),
      shrinks_(shrinks) {
    changed();
}

void StatusChip::setState(AppEntry entry, std::optional<UpdateState> update, bool installing) {
    if (entry_ == entry && update_ == update && installing_ == installing) {
        return;
    }
    entry_ = std::move(entry);
    update_ = update;
    installing_ = installing;
    changed();
}

void StatusChip::setShrinks(bool shrinks) {
    if (shrinks_ != shrinks) {
        shrinks_ = shrinks;
        changed();
    }
}

void StatusChip::changed() {
    setFont(KestleStyle::font(kFontSize, QFont::Bold, shrinks_ ? 0.3 : 0.6));
    setSizePolicy(shrinks_ ? QSizePolicy::Preferred : QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString StatusChip::text(const AppEntry& entry, const std::optional<UpdateState>& update,
                         bool installing) {
    using Kind = UpdateState::Kind;
    using Step = UpdateStep::Kind;
    if (auto job = ownJob(update)) {
        switch (job->kind) {
        case Kind::queued:
            //: Status chip: waiting for the update before it
            return tr("Queued", "status.queued");
        case Kind::active:
            switch (job->step.kind) {
            case Step::downloading:
                //: Status chip
                return tr("Downloading…", "status.downloading");
            case Step::checking:
                //: Status chip: Sparkle reads the feed
                return tr("Preparing…", "status.preparing");
            case Step::verifying:
                //: Status chip: velmar's signature on the download
                return tr("Checking Signature…", "status.verifying");
            case Step::installing:
            case Step::waitingForQuit:
                return installing
                           //: Status chip: a first install copies the app into Applications
                           ? tr("Installing…", "status.installing")
                           //: Status chip: the app is replaced with the new version
                           : tr("Replacing…", "status.replacing");
            }
            break;
        case Kind::failed:
            if (job->failure.kind == UpdateFailure::Kind::connection) {
                //: Status chip: the connection was lost
                return tr("Download Interrupted", "status.interrupted");
            }
            return installing
                       //: Status chip: a first install didn't go through
                       ? tr("Install Failed", "status.installFailed")
                       //: Status chip
                       : tr("Update Failed", "status.failed");
        case Kind::handedToApp:
            break;
        }
    }
    switch (entry.status()) {
    case AppEntry::Status::updateAvailable:
        //: Status chip: a later version is out
        return tr("Update Available", "status.update");
    case AppEntry::Status::coming:
        //: Status chip: in development
        return tr("Coming Soon", "status.coming");
    case AppEntry::Status::notInstalled:
        //: Status chip: released, not on this Mac
        return tr("Not Installed", "status.notInstalled");
    case AppEntry::Status::installed:
        return entry.isUpToDate()
                   //: Status chip
                   ? tr("Installed · Up to Date", "status.upToDate")
                   //: Status chip: installed, latest version unknown
                   : tr("Installed", "status.installed");
    }
    return {};
}

StatusChip::Tone StatusChip::tone(const AppEntry& entry, const std::optional<UpdateState>& update) {
    if (auto job = ownJob(update)) {
        return job->kind == UpdateState::Kind::failed ? Tone::danger : Tone::available;
    }
    switch (entry.status()) {
    case AppEntry::Status::notInstalled:
        return Tone::available;
    case AppEntry::Status::updateAvailable:
        return Tone::update;
    case AppEntry::Status::installed:
    case AppEntry::Status::coming:
        return Tone::neutral;
    }
    return Tone::neutral;
}

bool StatusChip::isDashed(const AppEntry& entry, const std::optional<UpdateState>& update) {
    return !ownJob(update) && entry.status() == AppEntry::Status::coming;
}

StatusChip::Colors StatusChip::colors(Tone tone, const QPalette& palette) {
    using C = VelmarTheme::Color;
    auto theme = [&palette](C color) { return VelmarTheme::color(color, palette); };
    switch (tone) {
    case Tone::available:
        return {theme(C::available), theme(C::availableFill), theme(C::availableEdge)};
    case Tone::danger:
        return {theme(C::danger), theme(C::dangerFill), theme(C::dangerEdge)};
    case Tone::update:
        return {theme(C::update), theme(C::updateFill), theme(C::updateEdge)};
    case Tone::neutral:
        break;
    }
    return {KestleStyle::secondaryText(palette), Qt::transparent, theme(C::strongSeparator)};
}

QString StatusChip::shownText() const {
    return QLocale().toUpper(text());
}

QSize StatusChip::sizeHint() const {
    QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(shownText())) + 2 * kPaddingX,
            qCeil(metrics.height()) + 2 * kPaddingY};
}

QSize StatusChip::minimumSizeHint() const {
    QSize ideal = sizeHint();
    if (!shrinks_) {
        return ideal;
    }
    int text = ideal.width() - 2 * kPaddingX;
    return {qCeil(text * kMinimumScale) + 2 * kPaddingX, ideal.height()};
}

void StatusChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Colors look = colors();
    QRectF bounds = rect();

    QPainterPath shape = KestleStyle::roundedRect(bounds, kRadius);
    painter.fillPath(shape, look.fill);
    QPen pen(look.outline, 1);
    if (isDashed(entry_, update_)) {
        pen.setDashPattern({3, 2}); // in pen widths, which are 1 point here
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(
        KestleStyle::roundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5));

    QString shown = shownText();
    QFontMetricsF metrics(font());
    QRectF textRect = bounds.adjusted(kPaddingX, kPaddingY, -kPaddingX, -kPaddingY);
    qreal ideal = metrics.horizontalAdvance(shown);
    qreal scale = 1;
    if (ideal > textRect.width() && ideal > 0) {
        scale = std::max(shrinks_ ? kMinimumScale : 1.0, textRect.width() / ideal);
    }
    painter.setFont(font());
    painter.setPen(look.text);
    if (scale < 1) {
        // Shrink about the centre, then lay the text out in the unscaled space.
        QPointF center = textRect.center();
        painter.translate(center);
        painter.scale(scale, scale);
        painter.translate(-center);
        qreal widened = textRect.width() / scale;
        textRect.adjust(-(widened - textRect.width()) / 2, 0, (widened - textRect.width()) / 2, 0);
    }
    KestleStyle::drawLine(painter, textRect, shown);
}

void StatusChip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) {
        changed();
    }
    QWidget::changeEvent(event);
}

} // namespace kestle::app
