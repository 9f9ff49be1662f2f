#include "views/components/Decorative.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace kestle::app {

namespace {

constexpr const char* kProperty = "kestleDecorative";

class AccessibleDecoration : public QAccessibleWidget {
public:
    explicit AccessibleDecoration(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Graphic) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (widget()->accessibleName().isEmpty()) {
            state.invisible = true;
            state.focusable = false;
        }
        return state;
    }

    // Whatever it holds is part of the picture.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* decorationFactory(const QString&, QObject* object) {
    if (object != nullptr && object->isWidgetType() && object->property(kProperty).toBool()) {
        return new AccessibleDecoration(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

void Decorative::mark(QWidget& widget) {
    static const bool installed = [] {
        QAccessible::installFactory(decorationFactory);
        return true;
    }();
    (void)installed;
    widget.setProperty(kProperty, true);
}

bool Decorative::isMarked(const QWidget& widget) {
    return widget.property(kProperty).toBool();
}

} // namespace kestle::app
