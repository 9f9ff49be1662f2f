#include "views/window/ReadingOrder.hpp"

#include <algorithm>

#include <QLabel>
#include <QLayout>
#include <QSet>
#include <QWidget>

namespace kestle::app {

namespace {

bool takesTab(const QWidget& widget) {
    if (!widget.isEnabled() || (widget.focusPolicy() & Qt::TabFocus) == 0 ||
        widget.focusProxy() != nullptr) {
        return false;
    }
    // A label that lets the keyboard reach links takes focus even when it has none.
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return (label->textInteractionFlags() & Qt::TextSelectableByKeyboard) != 0 ||
               label->text().contains(QLatin1String("href"), Qt::CaseInsensitive);
    }
    return true;
}

class Walk {
public:
    QList<QWidget*> found;

    void visit(QWidget* widget) {
        if (widget == nullptr || widget->isWindow() || !widget->isVisible() ||
            seen_.contains(widget)) {
            return;
        }
        seen_.insert(widget);
        if (takesTab(*widget)) {
            found.append(widget);
        }
        if (QLayout* layout = widget->layout()) {
            visit(layout);
        }
        // Children outside the layout, placed by hand, in the order they appear.
        QList<QWidget*> rest;
        for (QObject* child : widget->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w != nullptr && !seen_.contains(w)) {
                rest.append(w);
            }
        }
        const bool rtl = widget->layoutDirection() == Qt::RightToLeft;
        std::stable_sort(rest.begin(), rest.end(), [rtl](const QWidget* a, const QWidget* b) {
            if (a->y() != b->y()) {
                return a->y() < b->y();
            }
            return rtl ? a->x() > b->x() : a->x() < b->x();
        });
        for (QWidget* child : rest) {
            visit(child);
        }
    }

private:
    void visit(QLayout* layout) {
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem* item = layout->itemAt(i);
            if (QWidget* widget = item->widget()) {
                visit(widget);
            } else if (QLayout* inner = item->layout()) {
                visit(inner);
            }
        }
    }

    QSet<QWidget*> seen_;
};

} // namespace

QList<QWidget*> ReadingOrder::focusable(const QList<QWidget*>& roots) {
    Walk walk;
    for (QWidget* root : roots) {
        walk.visit(root);
    }
    return walk.found;
}

QWidget* ReadingOrder::next(const QList<QWidget*>& roots, QWidget* current, bool forward) {
    const QList<QWidget*> order = focusable(roots);
    const auto at = order.indexOf(current);
    if (at < 0 || order.isEmpty()) {
        return nullptr;
    }
    const auto count = order.size();
    return order[(at + (forward ? 1 : count - 1)) % count];
}

} // namespace kestle::app
