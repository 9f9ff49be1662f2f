#include <QImage>
#include <QPainterPath>

#include <gtest/gtest.h>

#include "views/style/SoftShadow.hpp"

using kestle::app::SoftShadow;

namespace {

int alphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

TEST(SoftShadow, FadesOutOverItsSpreadAroundAnOpaqueMiddle) {
    const QSize size(120, 40);
    const int spread = 15;
    QPainterPath shape;
    shape.addRect(QRectF(QPointF(), QSizeF(size)));
    const QImage image = SoftShadow::image(shape, size, spread, 0.3);

    ASSERT_EQ(image.size(), size + QSize(2 * spread, 2 * spread))
        << "the image leaves room for the blur on every side";
    const int middleY = image.height() / 2;
    EXPECT_NEAR(alphaAt(image, image.width() / 2, middleY), qRound(0.3 * 255), 2)
        << "the middle keeps the shape's opacity";
    EXPECT_EQ(alphaAt(image, 0, 0), 0) << "the corners are clear";
    EXPECT_EQ(alphaAt(image, 0, middleY), 0) << "the blur ends within the spread";

    // From the outer edge to the shape's edge the shadow only grows, and it is as
    // strong on the right as on the left.
    int previous = 0;
    for (int x = 0; x <= spread + 6; ++x) {
        const int alpha = alphaAt(image, x, middleY);
        EXPECT_GE(alpha, previous) << "at x " << x;
        EXPECT_NEAR(alpha, alphaAt(image, image.width() - 1 - x, middleY), 1) << "at x " << x;
        previous = alpha;
    }
    EXPECT_GT(alphaAt(image, spread - 3, middleY), 0) << "the shadow reaches past the shape";
    const QRgb pixel = image.pixel(image.width() / 2, middleY);
    EXPECT_EQ(qRed(pixel) | qGreen(pixel) | qBlue(pixel), 0) << "the shadow is black";
}

} // namespace
