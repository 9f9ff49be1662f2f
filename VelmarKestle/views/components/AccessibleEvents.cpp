#include "views/components/AccessibleEvents.hpp"

#include <QAccessible>

namespace kestle::app {

namespace {

AccessibleEvents::Listener& listener() {
    static AccessibleEvents::Listener listener;
    return listener;
}

} // namespace

void AccessibleEvents::send(QAccessibleEvent& event) {
    if (const Listener& heard = listener()) {
        heard(event);
    }
    QAccessible::updateAccessibility(&event);
}

void AccessibleEvents::listen(Listener listener) {
    kestle::app::listener() = std::move(listener);
}

} // namespace kestle::app
