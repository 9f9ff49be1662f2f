#include <string>
#include <vector>

#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "views/controls/CapsuleButton.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/controls/SearchField.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

using kestle::app::CapsuleButton;
using kestle::app::KestleButton;
using kestle::app::KestleStyle;
using kestle::app::SearchField;
using kestle::app::VelmarTheme;
using kestle::test::lightPalette;
using kestle::test::near;
using kestle::test::over;
using C = VelmarTheme::Color;

namespace {

void hover(QWidget& widget) {
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QCoreApplication::sendEvent(&widget, &enter);
}

TEST(KestleButton, StatesShowAsTheirFillAndOpacity) {
    const QColor window = lightPalette().color(QPalette::Window);
    const QColor accent = VelmarTheme::light(C::accent);
    const QColor outline = VelmarTheme::light(C::strongSeparator);
    enum State { resting, hovered, pressed, disabled };
    struct Case {
        const char* fault;
        bool prominent;
        State state;
        QColor inside; // left of the label
        QColor edge;   // on the outline, halfway down the left side
    };
    const std::vector<Case> cases = {
        {"prominent resting", true, resting, accent, accent},
        {"prominent hover brightens", true, hovered, KestleStyle::brightened(accent, 0.06),
         KestleStyle::brightened(accent, 0.06)},
        {"prominent pressed brightens and fades to 0.8", true, pressed,
         over(KestleStyle::brightened(accent, 0.06), window, 0.8),
         over(KestleStyle::brightened(accent, 0.06), window, 0.8)},
        {"prominent disabled fades to 0.55", true, disabled, over(accent, window, 0.55),
         over(accent, window, 0.55)},
        {"quiet resting is clear inside its outline", false, resting, window,
         over(outline, window)},
        {"quiet hover fills", false, hovered, over(VelmarTheme::light(C::controlFill), window),
         over(outline, over(VelmarTheme::light(C::controlFill), window))},
        {"quiet pressed fades but does not fill", false, pressed, window,
         over(outline, window, 0.8)},
        {"quiet disabled fades its outline", false, disabled, window, over(outline, window, 0.55)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        KestleButton button("Install", c.prominent);
        button.setPalette(lightPalette());
        button.resize(button.sizeHint());
        if (c.state == hovered) {
            hover(button);
            EXPECT_TRUE(button.isHovered());
        }
        button.setDown(c.state == pressed);
        button.setEnabled(c.state != disabled);
        QImage image = kestle::test::pixels(button);
        int middle = button.height() / 2;
        EXPECT_TRUE(near(image.pixelColor(4, middle), c.inside))
            << image.pixelColor(4, middle).name(QColor::HexArgb).toStdString();
        EXPECT_TRUE(near(image.pixelColor(0, middle), c.edge))
            << image.pixelColor(0, middle).name(QColor::HexArgb).toStdString();
    }
}

TEST(KestleButton, HugsItsLabelUnlessItFills) {
    KestleButton hugging("Install");
    KestleButton filling("Install", true, /*fills=*/true);
    EXPECT_EQ(hugging.sizeHint(), filling.sizeHint());
    EXPECT_EQ(hugging.sizeHint().height(), 32);
    EXPECT_EQ(hugging.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    EXPECT_EQ(filling.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(hugging.sizeHint().width(),
              QFontMetrics(hugging.font()).horizontalAdvance("Install") + 28);

    hover(hugging);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&hugging, &leave);
    EXPECT_FALSE(hugging.isHovered());
}

TEST(CapsuleButton, PressingDarkensTheCapsuleAndDisablingDoesNotFade) {
    CapsuleButton button("Show Release Notes");
    button.setPalette(lightPalette());
    button.resize(button.sizeHint());
    EXPECT_EQ(button.height(), 28);
    const QColor window = lightPalette().color(QPalette::Window);
    QPoint probe(10, button.height() / 2);

    EXPECT_TRUE(near(kestle::test::pixels(button).pixelColor(probe),
                     over(VelmarTheme::light(C::controlFill), window)));
    button.setDown(true);
    EXPECT_TRUE(near(kestle::test::pixels(button).pixelColor(probe),
                     over(VelmarTheme::light(C::controlFillHover), window)));
    button.setDown(false);
    button.setEnabled(false);
    EXPECT_TRUE(near(kestle::test::pixels(button).pixelColor(probe),
                     over(VelmarTheme::light(C::controlFill), window)));
    EXPECT_TRUE(near(kestle::test::pixels(button).pixelColor(0, 0), window))
        << "the corner lies outside the capsule";
}

QAbstractButton* clearButton(SearchField& field) {
    for (auto* button : field.findChildren<QAbstractButton*>()) {
        if (button->accessibleName() == "Clear") {
            return button;
        }
    }
    return nullptr;
}

TEST(SearchField, ClearButtonShowsOnlyForTextAndEmptiesIt) {
    SearchField field;
    EXPECT_EQ(field.size(), QSize(200, 30));
    auto* edit = field.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->placeholderText().toStdString(), "Search for an App");
    QAbstractButton* clear = clearButton(field);
    ASSERT_NE(clear, nullptr);
    std::vector<std::string> sent;
    QObject::connect(&field, &SearchField::textChanged,
                     [&sent](const QString& text) { sent.push_back(text.toStdString()); });

    EXPECT_TRUE(clear->isHidden()) << "never shown for empty text";
    edit->insert("no");
    EXPECT_FALSE(clear->isHidden());
    field.setText("notes");
    field.setText("notes");
    EXPECT_EQ(sent, (std::vector<std::string>{"no", "notes"})) << "sent once per change";

    clear->click();
    EXPECT_EQ(field.text(), "");
    EXPECT_TRUE(clear->isHidden());
    EXPECT_EQ(sent.back(), "");

    field.setText("x");
    field.setText("");
    EXPECT_TRUE(clear->isHidden()) << "emptied by its owner";
}

TEST(SearchField, TheOwnerMovesFocusIntoItAndHearsWhenItLeaves) {
    QWidget window;
    auto* field = new SearchField(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(kestle::test::runUntil([&] { return window.isActiveWindow(); }));
    other->setFocus();
    std::vector<bool> sent;
    QObject::connect(field, &SearchField::focusedChanged,
                     [&sent](bool focused) { sent.push_back(focused); });

    field->setFocused(true);
    EXPECT_TRUE(field->isFocused());
    other->setFocus();
    EXPECT_FALSE(field->isFocused());
    EXPECT_EQ(sent, (std::vector<bool>{true, false}));
}

} // namespace
