#include <chrono>
#include <cmath>
#include <optional>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QEnterEvent>
#include <QImage>
#include <QProxyStyle>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "views/components/KestleProgressBar.hpp"
#include "views/controls/SquareButton.hpp"
#include "views/style/VelmarTheme.hpp"

using kestle::app::KestleProgressBar;
using kestle::app::SquareButton;
using kestle::app::VelmarTheme;
using kestle::test::runUntil;
using kestle::test::spin;

using namespace std::chrono_literals;

namespace {

// Sets KESTLE_REDUCE_MOTION for the life of the guard.
struct ReducedMotion {
    explicit ReducedMotion(bool on) {
        if (on) {
            qputenv("KESTLE_REDUCE_MOTION", "1");
        } else {
            qunsetenv("KESTLE_REDUCE_MOTION");
        }
    }
    ~ReducedMotion() { qunsetenv("KESTLE_REDUCE_MOTION"); }
};

// A style whose animations last no time, as a desktop's "reduce animations" gives.
class StillStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_Widget_Animation_Duration) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
           std::abs(a.blue() - b.blue()) <= 8;
}

QColor pixel(QWidget& widget, int x) {
    QImage image = widget.grab().toImage();
    return image.pixelColor(x * image.width() / widget.width(), image.height() / 2);
}

TEST(KestleProgressBar, FractionIsClampedAndFillsFromTheLeadingEdge) {
    ReducedMotion motion(false);
    struct Case {
        const char* fault;
        std::optional<double> set;
        std::optional<double> kept;
    };
    const Case cases[] = {
        {"inside the range", 0.5, 0.5},
        {"above 1", 1.5, 1.0},
        {"below 0", -0.25, 0.0},
        {"not a number", std::nan(""), 0.0},
        {"indeterminate", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        KestleProgressBar bar;
        bar.setFraction(0.3);
        bar.setFraction(c.set);
        EXPECT_EQ(bar.fraction(), c.kept);
        EXPECT_EQ(bar.shownFraction(), c.kept.value_or(0)) << "a hidden bar does not animate";
    }

    const QPalette palette;
    const QColor accent = VelmarTheme::color(VelmarTheme::Color::accent, palette);
    const QColor gold = VelmarTheme::color(VelmarTheme::Color::gold, palette);
    for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        SCOPED_TRACE(direction == Qt::LeftToRight ? "left to right" : "right to left");
        KestleProgressBar bar;
        bar.setLayoutDirection(direction);
        bar.resize(200, 6);
        bar.setFraction(0.5);
        auto at = [&](int leading) {
            return pixel(bar, direction == Qt::LeftToRight ? leading : 199 - leading);
        };
        EXPECT_TRUE(near(at(50), accent)) << "the filled half";
        EXPECT_TRUE(near(at(99), gold)) << "the fill's trailing tip";
        EXPECT_FALSE(near(at(150), accent)) << "the empty half";
        bar.setFraction(0.0);
        EXPECT_FALSE(near(at(1), accent)) << "no fill at 0, not even its tip";
        EXPECT_FALSE(near(at(1), gold));
    }
}

TEST(KestleProgressBar, ChangesAnimateUnlessMotionIsReduced) {
    for (bool reduced : {false, true}) {
        SCOPED_TRACE(reduced ? "reduced" : "full motion");
        ReducedMotion motion(reduced);
        KestleProgressBar bar;
        bar.resize(200, 6);
        bar.setFraction(0.2);
        bar.show();
        bar.setFraction(0.8);
        if (reduced) {
            EXPECT_EQ(bar.shownFraction(), 0.8);
        } else {
            EXPECT_LT(bar.shownFraction(), 0.8);
            EXPECT_TRUE(runUntil([&] { return bar.shownFraction() == 0.8; }, 2s));
        }
    }
}

TEST(KestleProgressBar, StripesMoveOnlyWhileUnknownShownAndMotionAllowed) {
    StillStyle still;
    struct Case {
        const char* fault;
        std::optional<double> fraction;
        bool shown;
        bool reducedByEnvironment;
        bool reducedByStyle;
        bool moving;
    };
    const Case cases[] = {
        {"unknown and shown", std::nullopt, true, false, false, true},
        {"a known fraction has no stripes", 0.4, true, false, false, false},
        {"a hidden bar does not redraw", std::nullopt, false, false, false, false},
        {"reduced by the environment", std::nullopt, true, true, false, false},
        {"reduced by the style", std::nullopt, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ReducedMotion motion(c.reducedByEnvironment);
        KestleProgressBar bar;
        bar.resize(200, 6);
        if (c.reducedByStyle) {
            bar.setStyle(&still);
        }
        bar.setFraction(c.fraction);
        if (c.shown) {
            bar.show();
        }
        EXPECT_EQ(bar.areStripesMoving(), c.moving);
        if (!c.fraction && c.shown) {
            // Stripes travel 20 points in 0.8 s: frames 0.3 s apart differ while moving.
            QImage first = bar.grab().toImage();
            spin(300ms);
            QImage second = bar.grab().toImage();
            EXPECT_EQ(first != second, c.moving);
        }
        if (!c.moving) {
            EXPECT_EQ(bar.stripePhase(), 0);
        }
    }

    // Hiding stops the frames, showing starts them again.
    ReducedMotion motion(false);
    KestleProgressBar bar;
    bar.setFraction(std::nullopt);
    bar.show();
    bar.hide();
    EXPECT_FALSE(bar.areStripesMoving());
    bar.show();
    EXPECT_TRUE(bar.areStripesMoving());
    bar.setFraction(0.1);
    EXPECT_FALSE(bar.areStripesMoving());
}

TEST(KestleProgressBar, ScreenReadersSeeAProgressIndicator) {
    KestleProgressBar bar;
    bar.setFraction(0.25);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&bar);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toDouble(), 0.25);
    EXPECT_EQ(value->maximumValue().toDouble(), 1.0);
    bar.setFraction(std::nullopt);
    EXPECT_EQ(value->maximumValue().toDouble(), 0.0) << "a busy indicator has an empty range";
}

TEST(SquareButton, FrameShowsOnlyWhileHovered) {
    SquareButton button("xmark", 11);
    EXPECT_EQ(button.size(), QSize(32, 32));
    auto corner = [&] {
        QImage image = button.grab().toImage();
        return image.pixelColor(image.width() / 2, 0);
    };
    const QColor resting = corner();
    QEnterEvent enter(QPointF(16, 16), QPointF(16, 16), QPointF(16, 16));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    EXPECT_NE(corner(), resting) << "the outline along the top edge";
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.isHovered());
    EXPECT_EQ(corner(), resting);
}

} // namespace
