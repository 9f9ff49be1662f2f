#pragma once

#include <QList>

class QWidget;

namespace kestle::app {

// The controls Tab visits, in the order a reader meets them: each widget's layout from
// its first item to its last, then the children it places itself, top to bottom and
// from the leading side. Qt's own focus chain follows the order of creation instead,
// and the lists and the detail page are made long after the rest of the window.
class ReadingOrder {
public:
    // Shown, enabled widgets that take focus with Tab, under roots in their order.
    static QList<QWidget*> focusable(const QList<QWidget*>& roots);
    // The control after current (before it, going back), wrapping round at the ends;
    // nothing when current is not one of them or nothing takes focus.
    static QWidget* next(const QList<QWidget*>& roots, QWidget* current, bool forward);
};

} // namespace kestle::app
