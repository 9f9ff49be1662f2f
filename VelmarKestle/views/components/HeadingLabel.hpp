#pragma once

#include <QLabel>

namespace kestle::app {

// A label a screen reader announces as a heading.
class HeadingLabel : public QLabel {
    Q_OBJECT

public:
    explicit HeadingLabel(const QString& text = {}, QWidget* parent = nullptr);
};

} // namespace kestle::app
