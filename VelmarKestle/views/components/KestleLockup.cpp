#include "views/components/KestleLockup.hpp"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "views/components/KestleGlyph.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kGlyphSide = 22;
constexpr qreal kGlyphBaseline = kGlyphSide * 114 / 128;
constexpr qreal kWordmarkHeight = 22;
// The wordmark artwork is 83.3 units high with its baseline at 64.4.
constexpr qreal kWordmarkBaseline = kWordmarkHeight * 64.4 / 83.3;
constexpr qreal kSpacing = 8;
const char* const kProductWord = "KESTLE"; // the product's name, never translated

QFont productFont() {
    return KestleStyle::font(12, QFont::Bold, 1.7);
}

// The wordmark, drawn from a bold serif face so it follows the theme's colours: its
// ascent fills the artwork's height above the baseline, which is at y = 0.
QPainterPath wordmark() {
    QFont font(QStringLiteral("serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(100);
    font.setWeight(QFont::Bold);
    QPainterPath path;
    path.addText(0, 0, font, QStringLiteral("Velmar"));
    qreal scale = kWordmarkBaseline / QFontMetricsF(font).ascent();
    return QTransform::fromScale(scale, scale).map(path);
}

struct Placement {
    qreal baseline;
    qreal wordmarkX;
    qreal textX;
    QSizeF size;
};

Placement place(const QPainterPath& mark) {
    QFontMetricsF text(productFont());
    qreal baseline = std::max({kGlyphBaseline, kWordmarkBaseline, text.ascent()});
    qreal wordmarkX = kGlyphSide + kSpacing;
    qreal textX = wordmarkX + mark.boundingRect().right() + kSpacing;
    qreal bottom =
        std::max({baseline - kGlyphBaseline + kGlyphSide,
                  baseline - kWordmarkBaseline + kWordmarkHeight, baseline + text.descent()});
    return {baseline, wordmarkX, textX,
            QSizeF(textX + text.horizontalAdvance(QLatin1String(kProductWord)), bottom)};
}

} // namespace

KestleLockup::KestleLockup(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("VelmarKestle"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize KestleLockup::sizeHint() const {
    QSizeF size = place(wordmark()).size;
    return {qCeil(size.width()), qCeil(size.height())};
}

QSize KestleLockup::minimumSizeHint() const {
    return sizeHint();
}

void KestleLockup::paintEvent(QPaintEvent*) {
    QPainterPath mark = wordmark();
    Placement at = place(mark);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();

    KestleGlyph::paint(painter, QRectF(0, at.baseline - kGlyphBaseline, kGlyphSide, kGlyphSide),
                       pal);
    painter.fillPath(mark.translated(at.wordmarkX, at.baseline),
                     VelmarTheme::color(VelmarTheme::Color::wordmark, pal));
    painter.setFont(productFont());
    painter.setPen(KestleStyle::secondaryText(pal));
    painter.drawText(QPointF(at.textX, at.baseline), QLatin1String(kProductWord));
}

} // namespace kestle::app
