#include <vector>

#include <QPainterPath>
#include <QRectF>

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

} // namespace
