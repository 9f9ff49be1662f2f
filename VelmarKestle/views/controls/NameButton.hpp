#pragma once

#include <QString>

#include "views/controls/HoverButton.hpp"

namespace kestle::app {

// An app's name as a plain button (cards, table rows): bold, in the primary colour,
// underlined while the pointer is over it. The owner connects clicked.
class NameButton : public HoverButton {
    Q_OBJECT

public:
    NameButton(const QString& name, qreal size, QWidget* parent = nullptr);

    const QString& name() const { return name_; }
    void setName(const QString& name);
    qreal pointSize() const { return size_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    qreal size_;
};

} // namespace kestle::app
