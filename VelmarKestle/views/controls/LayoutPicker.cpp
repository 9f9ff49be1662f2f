#include "views/controls/LayoutPicker.hpp"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

#include "model/KestleModel.hpp"
#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kSegmentWidth = 34;
constexpr int kHeight = 26;
constexpr int kPadding = 2;
constexpr qreal kSymbolSize = 14;
constexpr qreal kRadius = 7;

// One segment: its symbol, on the surface colour while selected.
class Segment : public QAbstractButton {
public:
    Segment(QString symbol, QWidget* parent) : QAbstractButton(parent), symbol_(std::move(symbol)) {
        setCheckable(true);
        setFixedSize(kSegmentWidth, kHeight - 2 * kPadding);
        setFocusPolicy(Qt::TabFocus);
        ReturnPress::install(*this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isChecked()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(VelmarTheme::color(VelmarTheme::Color::surface, palette()));
            painter.drawPath(KestleStyle::roundedRect(QRectF(rect()), kRadius - kPadding));
        }
        const QColor color = isChecked() ? KestleStyle::primaryText(palette())
                                         : KestleStyle::secondaryText(palette());
        SystemSymbol::paint(painter, QRectF(rect()).center(), kSymbolSize, symbol_, color,
                            isChecked() ? QFont::DemiBold : QFont::Normal);
        KestleStyle::paintFocusRing(painter, *this, rect(), kRadius - kPadding);
    }

private:
    QString symbol_;
};

} // namespace

LayoutPicker::LayoutPicker(KestleModel& model, QWidget* parent)
    : QWidget(parent), model_(model), grid_(new Segment(QStringLiteral("square.grid.2x2"), this)),
      table_(new Segment(QStringLiteral("list.bullet"), this)) {
    setToolTip(tr("Grid or Table"));
    setAccessibleName(tr("View"));
    grid_->setAccessibleName(tr("Grid"));
    grid_->setToolTip(tr("Grid"));
    table_->setAccessibleName(tr("Table"));
    table_->setToolTip(tr("Table"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    row->setSpacing(0);
    row->addWidget(grid_);
    row->addWidget(table_);
    setFixedSize(2 * kSegmentWidth + 2 * kPadding, kHeight);

    connect(grid_, &QAbstractButton::clicked, this, [this] {
        model_.setLayout(ListLayout::grid);
        refresh();
    });
    connect(table_, &QAbstractButton::clicked, this, [this] {
        model_.setLayout(ListLayout::table);
        refresh();
    });
    connect(&model_, &KestleModel::layoutChanged, this, &LayoutPicker::refresh);
    refresh();
}

void LayoutPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(VelmarTheme::color(VelmarTheme::Color::controlFill, palette()));
    painter.drawPath(KestleStyle::roundedRect(QRectF(rect()), kRadius));
}

void LayoutPicker::refresh() {
    grid_->setChecked(model_.layout() == ListLayout::grid);
    table_->setChecked(model_.layout() == ListLayout::table);
}

} // namespace kestle::app
