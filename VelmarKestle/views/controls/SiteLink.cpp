#include "views/controls/SiteLink.hpp"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kSymbolSize = 9;
constexpr qreal kSpacing = 4;

QString absoluteString(const Url& site) {
    return QString::fromStdString(site.str());
}

} // namespace

std::function<void(const QUrl&)> SiteLink::openUrl = [](const QUrl& url) {
    QDesktopServices::openUrl(url);
};

SiteLink::SiteLink(const Url& site, const QString& label, const QFont& font, QWidget* parent)
    : QAbstractButton(parent), site_(site) {
    setFont(font);
    setText(label);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setToolTip(absoluteString(site_));
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (openUrl) {
            openUrl(QUrl(absoluteString(site_)));
        }
    });
}

void SiteLink::setSite(const Url& site) {
    if (!(site_ == site)) {
        site_ = site;
        setToolTip(absoluteString(site_));
    }
}

QSize SiteLink::sizeHint() const {
    int width = KestleStyle::textWidth(font(), text()) + qCeil(kSpacing + kSymbolSize);
    return {width, std::max(QFontMetrics(font()).height(), qCeil(kSymbolSize))};
}

QSize SiteLink::minimumSizeHint() const {
    return sizeHint();
}

void SiteLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor tint = VelmarTheme::color(VelmarTheme::Color::accent, palette());
    if (isDown()) {
        tint.setAlphaF(tint.alphaF() * 0.7f);
    }
    const QRectF bounds = rect();
    const qreal textWidth = std::max<qreal>(0, bounds.width() - kSpacing - kSymbolSize);
    painter.setFont(font());
    painter.setPen(tint);
    KestleStyle::drawLine(painter, QRectF(bounds.left(), bounds.top(), textWidth, bounds.height()),
                          text(), Qt::AlignLeading | Qt::AlignVCenter);
    SystemSymbol::paint(
        painter,
        QPointF(bounds.left() + textWidth + kSpacing + kSymbolSize / 2, bounds.center().y()),
        kSymbolSize, u"arrow.up.right", tint, QFont::Bold);
}

} // namespace kestle::app
