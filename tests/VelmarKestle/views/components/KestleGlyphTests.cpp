#include <cstdlib>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include "views/components/KestleGlyph.hpp"

using kestle::app::GlyphPart;
using kestle::app::KestleGlyph;

namespace {

TEST(KestleGlyph, DrawsInTheTopLeftSquareWithTheDoorCutOut) {
    struct Case {
        const char* fault;
        QRectF rect;
        qreal unit;
    };
    const std::vector<Case> cases = {
        {"square", QRectF(0, 0, 128, 128), 1},
        {"wide: the height sets the unit", QRectF(10, 20, 256, 64), 0.5},
        {"tall: the width sets the unit", QRectF(0, 0, 64, 300), 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        auto at = [&c](qreal x, qreal y) { return c.rect.topLeft() + QPointF(x, y) * c.unit; };
        QPainterPath tent = KestleGlyph::path(GlyphPart::tent, c.rect);
        QPainterPath arrow = KestleGlyph::path(GlyphPart::arrow, c.rect);
        EXPECT_EQ(tent.boundingRect(), QRectF(at(12, 48), at(116, 114)));
        EXPECT_EQ(arrow.boundingRect(), QRectF(at(46, 8), at(82, 42)));
        EXPECT_TRUE(tent.contains(at(30, 110)));
        EXPECT_FALSE(tent.contains(at(64, 105))) << "the door is cut out";
        EXPECT_TRUE(arrow.contains(at(64, 20)));
        EXPECT_FALSE(arrow.intersects(tent)) << "the arrow ends above the tent";
    }
}

#ifdef KESTLE_APP_BUNDLE
// The launcher's scalable icon is drawn by other programs from the bundle's vector: it
// must be the glyph the windows show, in the same colours.
TEST(KestleGlyph, TheBundlesVectorIconIsTheGlyph) {
    QSvgRenderer svg(
        QStringLiteral(KESTLE_APP_BUNDLE "/Contents/Resources/icons/velmarkestle.svg"));
    ASSERT_TRUE(svg.isValid());
    const int side = 128;
    QImage vector(side, side, QImage::Format_ARGB32_Premultiplied);
    vector.fill(Qt::transparent);
    QPainter painter(&vector);
    svg.render(&painter, QRectF(0, 0, side, side));
    painter.end();
    const QImage glyph = KestleGlyph::image(side);
    ASSERT_EQ(glyph.size(), QSize(side, side));

    int differing = 0;
    int painted = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QColor a = vector.pixelColor(x, y);
            const QColor b = glyph.pixelColor(x, y);
            painted += b.alpha() > 0;
            // Edges may round a little differently.
            differing += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                             std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha()) >
                         6;
        }
    }
    EXPECT_GT(painted, side * side / 5);
    // A part off by one unit differs along a whole edge.
    EXPECT_LT(differing, 8) << differing << " pixels differ";
}
#endif

} // namespace
