#include "views/components/Eyebrow.hpp"

#include <QLocale>
#include <QPainter>

#include "views/style/KestleStyle.hpp"

namespace kestle::app {

Eyebrow::Eyebrow(const QString& text, QWidget* parent) : QWidget(parent) {
    setFont(KestleStyle::font(11, QFont::Bold, 0.9));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setText(text);
}

void Eyebrow::setText(const QString& text) {
    if (text_ == text) {
        return;
    }
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QString Eyebrow::shownText() const {
    return QLocale().toUpper(text_);
}

QSize Eyebrow::sizeHint() const {
    QFontMetrics metrics(font());
    return {KestleStyle::textWidth(font(), shownText()), metrics.height()};
}

QSize Eyebrow::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void Eyebrow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(KestleStyle::secondaryText(palette()));
    KestleStyle::drawLine(painter, rect(), shownText(), Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace kestle::app
