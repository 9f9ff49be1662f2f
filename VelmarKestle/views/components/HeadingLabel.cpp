#include "views/components/HeadingLabel.hpp"

#include <QAccessible>
#include <QAccessibleWidget>

namespace kestle::app {

namespace {

QAccessibleInterface* headingFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(HeadingLabel::staticMetaObject.className()) && object &&
        object->isWidgetType()) {
        auto* label = static_cast<HeadingLabel*>(object);
        auto* heading = new QAccessibleWidget(label, QAccessible::Heading);
        return heading;
    }
    return nullptr;
}

} // namespace

HeadingLabel::HeadingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(headingFactory);
        return true;
    }();
    (void)installed;
}

} // namespace kestle::app
