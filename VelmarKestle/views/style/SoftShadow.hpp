#pragma once

#include <QImage>
#include <QPainterPath>
#include <QSize>

namespace kestle::app {

// A soft black shadow of a shape, blurred by hand where a graphics effect cannot be
// used (a widget takes only one, and the toast's is its fade).
class SoftShadow {
public:
    // The shape (laid out in a box of the given size) filled in black at opacity,
    // blurred so it fades out over spread points; the image is the box grown by
    // spread on every side.
    static QImage image(const QPainterPath& shape, QSize size, int spread, double opacity);

private:
    // Three box blurs of a third of spread each come close to a Gaussian that fades
    // out over spread points. Only the alpha channel is blurred; colour becomes black.
    static void blurAlpha(QImage& image, int spread);
};

} // namespace kestle::app
