#include "views/controls/FilterTabs.hpp"

#include <algorithm>

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QtMath>

#include "model/KestleModel.hpp"
#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kTrackPadding = 3;
constexpr int kSpacing = 2;
constexpr qreal kTrackRadius = 9;
constexpr qreal kTabRadius = 7;
constexpr int kLabelSpacing = 6;
constexpr int kTabPaddingX = 10;
constexpr int kTabPaddingY = 4;
constexpr qreal kFontSize = 13;

QFont titleFont(bool selected) {
    return KestleStyle::font(kFontSize, selected ? QFont::DemiBold : QFont::Normal);
}

QFont countFont(bool highlighted) {
    return KestleStyle::font(kFontSize, highlighted ? QFont::Bold : QFont::Medium);
}

// Digits take the width of the widest digit, so a count that changes does not make
// its tab jitter.
qreal digitCell(const QFontMetricsF& metrics) {
    qreal cell = 0;
    for (char digit = '0'; digit <= '9'; ++digit) {
        cell = std::max(cell, metrics.horizontalAdvance(QChar(digit)));
    }
    return cell;
}

qreal monospacedWidth(const QString& text, const QFont& font) {
    QFontMetricsF metrics(font);
    qreal cell = digitCell(metrics);
    qreal width = 0;
    for (QChar c : text) {
        width += c.isDigit() ? cell : metrics.horizontalAdvance(c);
    }
    return width;
}

void drawMonospaced(QPainter& painter, QPointF baseline, const QString& text) {
    QFontMetricsF metrics(painter.font());
    qreal cell = digitCell(metrics);
    qreal x = baseline.x();
    for (QChar c : text) {
        qreal advance = metrics.horizontalAdvance(c);
        qreal slot = c.isDigit() ? cell : advance;
        painter.drawText(QPointF(x + (slot - advance) / 2, baseline.y()), QString(c));
        x += slot;
    }
}

// A filter's place among the tabs.
size_t indexOf(AppFilter filter) {
    return static_cast<size_t>(std::ranges::find(allAppFilters, filter) - allAppFilters.begin());
}

class TabButton : public QAbstractButton {
public:
    TabButton(const FilterTabs& tabs, AppFilter filter, QWidget* parent)
        : QAbstractButton(parent), tabs_(tabs), filter_(filter) {
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        ReturnPress::install(*this);
    }

    QSize sizeHint() const override {
        FilterTabs::Tab tab = tabs_.tab(filter_);
        QFontMetricsF title(titleFont(tab.selected));
        QFontMetricsF count(countFont(tab.highlighted));
        qreal width = title.horizontalAdvance(tab.title) + kLabelSpacing +
                      monospacedWidth(tab.count, countFont(tab.highlighted));
        qreal height = std::max(title.height(), count.height());
        return {qCeil(width) + 2 * kTabPaddingX, qCeil(height) + 2 * kTabPaddingY};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        FilterTabs::Tab tab = tabs_.tab(filter_);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont title = titleFont(tab.selected);
        QFont count = countFont(tab.highlighted);
        qreal titleWidth = QFontMetricsF(title).horizontalAdvance(tab.title);
        qreal labelWidth = titleWidth + kLabelSpacing + monospacedWidth(tab.count, count);
        qreal x = (width() - labelWidth) / 2;
        // Both parts share one baseline, centred as a row.
        QFontMetricsF metrics(title);
        qreal baseline = (height() - metrics.height()) / 2 + metrics.ascent();

        painter.setFont(title);
        painter.setPen(KestleStyle::primaryText(palette()));
        painter.drawText(QPointF(x, baseline), tab.title);

        painter.setFont(count);
        painter.setPen(tab.highlighted ? VelmarTheme::color(VelmarTheme::Color::update, palette())
                                       : KestleStyle::secondaryText(palette()));
        drawMonospaced(painter, QPointF(x + titleWidth + kLabelSpacing, baseline), tab.count);
        KestleStyle::paintFocusRing(painter, *this, rect(), kTabRadius);
    }

    // The arrows go to the neighbouring tab and choose it, as in a tab bar.
    void keyPressEvent(QKeyEvent* event) override {
        int step = 0;
        if (event->key() == Qt::Key_Left) {
            step = -1;
        } else if (event->key() == Qt::Key_Right) {
            step = 1;
        }
        if (step == 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            QAbstractButton::keyPressEvent(event);
            return;
        }
        if (layoutDirection() == Qt::RightToLeft) {
            step = -step;
        }
        const size_t at = indexOf(filter_);
        const bool inside = step < 0 ? at > 0 : at + 1 < allAppFilters.size();
        if (inside) {
            if (auto* tab = tabs_.button(allAppFilters[step < 0 ? at - 1 : at + 1])) {
                tab->setFocus(Qt::TabFocusReason);
                tab->click();
            }
        }
        event->accept();
    }

private:
    const FilterTabs& tabs_;
    AppFilter filter_;
};

} // namespace

FilterTabs::FilterTabs(KestleModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kTrackPadding, kTrackPadding, kTrackPadding, kTrackPadding);
    layout->setSpacing(kSpacing);
    for (size_t i = 0; i < allAppFilters.size(); ++i) {
        AppFilter filter = allAppFilters[i];
        auto* button = new TabButton(*this, filter, this);
        buttons_[i] = button;
        layout->addWidget(button, 0, Qt::AlignVCenter);
        connect(button, &QAbstractButton::clicked, this, [this, filter] {
            model_.setFilter(filter);
            // Clicking the selected tab unchecks it; the model did not change, so put
            // the check back here.
            refresh();
        });
    }
    connect(&model_, &KestleModel::entriesChanged, this, &FilterTabs::refresh);
    connect(&model_, &KestleModel::filterChanged, this, &FilterTabs::refresh);
    refresh();
}

QString FilterTabs::title(AppFilter filter) {
    switch (filter) {
    case AppFilter::all:
        return tr("All");
    case AppFilter::installed:
        //: Filter tab: the apps on this Mac
        return tr("Installed", "filter.installed");
    case AppFilter::updates:
        return tr("Updates");
    case AppFilter::notInstalled:
        //: Filter tab: the apps not on this Mac
        return tr("Not Installed", "filter.notInstalled");
    }
    return {};
}

FilterTabs::Tab FilterTabs::tab(AppFilter filter) const {
    int count = model_.count(filter);
    return {title(filter), QLocale().toString(count), model_.filter() == filter,
            filter == AppFilter::updates && count >= 1};
}

QAbstractButton* FilterTabs::button(AppFilter filter) const {
    const size_t at = indexOf(filter);
    return at < buttons_.size() ? buttons_[at] : nullptr;
}

QSize FilterTabs::sizeHint() const {
    return layout()->sizeHint();
}

QSize FilterTabs::minimumSizeHint() const {
    return sizeHint();
}

void FilterTabs::refresh() {
    setAccessibleName(tr("Filter the Apps"));
    for (size_t i = 0; i < allAppFilters.size(); ++i) {
        Tab tab = this->tab(allAppFilters[i]);
        QAbstractButton* button = buttons_[i];
        button->setText(tab.title);
        button->setAccessibleDescription(tab.count);
        button->setChecked(tab.selected);
        button->updateGeometry();
        button->update();
    }
    updateGeometry();
    update();
}

void FilterTabs::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    painter.fillPath(KestleStyle::roundedRect(rect(), kTrackRadius),
                     VelmarTheme::color(VelmarTheme::Color::controlFill, pal));

    // The selected tab's surface is drawn here, under the tab, so its shadow may fall
    // outside the tab's own rectangle.
    for (size_t i = 0; i < allAppFilters.size(); ++i) {
        if (allAppFilters[i] != model_.filter()) {
            continue;
        }
        QRectF surface = buttons_[i]->geometry();
        QPainterPath shape = KestleStyle::roundedRect(surface, kTabRadius);
        // A soft shadow 1 point down: a core of the shape and a faint 1.5-point rim.
        QPainterPath shadow = shape.translated(0, 1);
        painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.06f), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shadow);
        painter.fillPath(shadow, QColor::fromRgbF(0, 0, 0, 0.14f));
        painter.fillPath(shape, VelmarTheme::color(VelmarTheme::Color::surface, pal));
    }
}

void FilterTabs::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) {
        refresh();
    }
    QWidget::changeEvent(event);
}

} // namespace kestle::app
