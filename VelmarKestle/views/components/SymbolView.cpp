#include "views/components/SymbolView.hpp"

#include <cmath>

#include <QPainter>

#include "views/components/Decorative.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

// Room around the symbol for strokes that reach its edge.
constexpr int kMargin = 4;

} // namespace

SymbolView::SymbolView(QString name, qreal size, Tone tone, QWidget* parent)
    : QWidget(parent), name_(std::move(name)), size_(size), tone_(tone) {
    const int side = static_cast<int>(std::ceil(size_)) + kMargin;
    setFixedSize(side, side);
    Decorative::mark(*this);
}

void SymbolView::setSymbol(QString name, Tone tone) {
    if (name_ != name || tone_ != tone) {
        name_ = std::move(name);
        tone_ = tone;
        update();
    }
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor color = tone_ == Tone::danger
                             ? VelmarTheme::color(VelmarTheme::Color::danger, palette())
                             : KestleStyle::secondaryText(palette());
    SystemSymbol::paint(painter, QRectF(rect()).center(), size_, name_, color);
}

} // namespace kestle::app
