#pragma once

#include <QColor>
#include <QWidget>

class QPainter;

namespace kestle::app {

// A one-point line in the system separator colour, across the width it is given.
// Views that draw the line themselves (row tops, surface outlines, cell dividers)
// use the same colour and thickness.
class Hairline : public QWidget {
    Q_OBJECT

public:
    static constexpr int thickness = 1;

    explicit Hairline(QWidget* parent = nullptr);

    // The separator colour of a palette: the primary text, faint.
    static QColor color(const QPalette& palette);
    static void paint(QPainter& painter, const QRectF& rect, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
