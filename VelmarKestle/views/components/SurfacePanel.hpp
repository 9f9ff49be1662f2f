#pragma once

#include <QWidget>

class QPainter;

namespace kestle::app {

// A raised panel: the surface colour in a rectangle of radius 12 with a hairline
// outline in the separator colour, under the detail page's strips and the table.
class SurfacePanel : public QWidget {
    Q_OBJECT

public:
    explicit SurfacePanel(QWidget* parent = nullptr);

    static void paintSurface(QPainter& painter, const QRectF& rect, const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestle::app
