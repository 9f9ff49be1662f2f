#include "views/style/VelmarTheme.hpp"

#include <vector>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "views/controls/KestleButton.hpp"

using kestle::app::KestleButton;
using kestle::app::VelmarTheme;
using kestle::test::darkPalette;
using kestle::test::lightPalette;
using C = VelmarTheme::Color;

namespace {

TEST(VelmarTheme, ResolvesAgainstThePalettesAppearance) {
    struct Case {
        C color;
        QRgb light;
        QRgb dark;
        double lightAlpha;
        double darkAlpha;
    };
    // One of each kind: opaque with distinct values, translucent with alphas that differ,
    // and one whose light and dark share the colour but not the alpha.
    const std::vector<Case> cases = {
        {C::accent, 0x1B3149, 0xE2B77F, 1, 1},
        {C::controlFill, 0x22201D, 0xFFFFFF, 0.07, 0.09},
        {C::updateFill, 0xE2B77F, 0xE2B77F, 0.16, 0.10},
        {C::gold, 0xC8873A, 0xE2B77F, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VelmarTheme::name(c.color));
        QColor light = VelmarTheme::color(c.color, lightPalette());
        QColor dark = VelmarTheme::color(c.color, darkPalette());
        EXPECT_EQ(light.rgb() & 0xFFFFFF, c.light);
        EXPECT_EQ(dark.rgb() & 0xFFFFFF, c.dark);
        EXPECT_NEAR(light.alphaF(), c.lightAlpha, 0.003);
        EXPECT_NEAR(dark.alphaF(), c.darkAlpha, 0.003);
    }
    EXPECT_FALSE(VelmarTheme::isDark(lightPalette()));
    EXPECT_TRUE(VelmarTheme::isDark(darkPalette()));
}

TEST(VelmarTheme, APaletteChangeRecoloursAWidgetOnItsNextPaint) {
    KestleButton button("Update All", /*prominent=*/true);
    button.setPalette(lightPalette());
    button.resize(button.sizeHint());
    // Left of the label, inside the rounded shape.
    QPoint probe(4, button.height() / 2);
    EXPECT_EQ(kestle::test::pixels(button).pixelColor(probe).rgb(),
              VelmarTheme::light(C::accent).rgb());

    button.setPalette(darkPalette());
    EXPECT_EQ(kestle::test::pixels(button).pixelColor(probe).rgb(),
              VelmarTheme::dark(C::accent).rgb());
}

} // namespace
