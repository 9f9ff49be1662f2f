#include "views/components/HeadingLabel.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace kestle::app {

namespace {

// A plain accessible widget has no text of its own; a heading is read by its words.
class AccessibleHeading : public QAccessibleWidget {
public:
    explicit AccessibleHeading(HeadingLabel* label)
        : QAccessibleWidget(label, QAccessible::Heading) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const HeadingLabel*>(widget());
        if (t != QAccessible::Name || !label->accessibleName().isEmpty()) {
            return QAccessibleWidget::text(t);
        }
        const bool rich =
            label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        return rich ? QTextDocumentFragment::fromHtml(label->text()).toPlainText() : label->text();
    }
};

QAccessibleInterface* headingFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(HeadingLabel::staticMetaObject.className()) && object &&
        object->isWidgetType()) {
        return new AccessibleHeading(static_cast<HeadingLabel*>(object));
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
