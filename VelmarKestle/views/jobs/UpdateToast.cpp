#include "views/jobs/UpdateToast.hpp"

#include <vector>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "views/jobs/ToastButton.hpp"
#include "views/style/KestleStyle.hpp"
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

// Three box blurs of radius 5 come close to a Gaussian that fades out over 15 points.
// The image is black, so only its alpha channel needs blurring.
void blurAlpha(QImage& image) {
    constexpr int radius = kShadowSpread / 3;
    const int width = image.width();
    const int height = image.height();
    std::vector<int> alpha(static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            alpha[static_cast<size_t>(y * width + x)] = qAlpha(line[x]);
        }
    }
    std::vector<int> out(alpha.size());
    auto pass = [&](int count, int lines, auto index) {
        for (int line = 0; line < lines; ++line) {
            int sum = 0;
            for (int i = -radius; i <= radius; ++i) {
                sum += (i >= 0 && i < count) ? alpha[index(line, i)] : 0;
            }
            for (int i = 0; i < count; ++i) {
                out[index(line, i)] = sum / (2 * radius + 1);
                int leaving = i - radius;
                int entering = i + radius + 1;
                sum -= leaving >= 0 ? alpha[index(line, leaving)] : 0;
                sum += entering < count ? alpha[index(line, entering)] : 0;
            }
        }
        alpha.swap(out);
    };
    auto row = [width](int y, int x) { return static_cast<size_t>(y * width + x); };
    auto column = [width](int x, int y) { return static_cast<size_t>(y * width + x); };
    for (int i = 0; i < 3; ++i) {
        pass(width, height, row);
        pass(height, width, column);
    }
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgba(0, 0, 0, alpha[static_cast<size_t>(y * width + x)]);
        }
    }
}

} // namespace

UpdateToast::UpdateToast(QWidget* parent)
    : QWidget(parent), pill_(new Pill(this)), row_(new QHBoxLayout(pill_)),
      label_(new QLabel(pill_)) {
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
        shadow_ = QImage(pill.size() + QSize(2 * kShadowSpread, 2 * kShadowSpread),
                         QImage::Format_ARGB32_Premultiplied);
        shadow_.fill(Qt::transparent);
        QPainter painter(&shadow_);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor black(Qt::black);
        black.setAlphaF(static_cast<float>(kShadowOpacity));
        painter.fillPath(
            KestleStyle::roundedRect(
                QRectF(QPointF(kShadowSpread, kShadowSpread), QSizeF(pill.size())), kRadius),
            black);
        painter.end();
        blurAlpha(shadow_);
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
    }
    return {};
}

} // namespace kestle::app
