#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "VelmarKestle/views/window/WindowFixture.hpp"
#include "views/controls/FilterTabs.hpp"
#include "views/controls/NameButton.hpp"
#include "views/detail/AppDetail.hpp"
#include "views/jobs/ToastOverlay.hpp"
#include "views/jobs/UpdateToast.hpp"
#include "views/list/AppCard.hpp"
#include "views/list/AppTableRow.hpp"
#include "views/list/ListHeader.hpp"
#include "views/window/MainWindow.hpp"
#include "views/window/StatusFooter.hpp"

using kestle::AppFilter;
using kestle::app::AppCard;
using kestle::app::AppTableRow;
using kestle::app::FilterTabs;
using kestle::app::ListLayout;
using kestle::app::MainWindow;
using kestle::test::EnglishLocale;
using kestle::test::pixels;
using kestle::test::runUntil;
using kestle::test::WindowFixture;

namespace {

// A shown, active window, tall enough that every card has its widgets.
struct ActiveWindow {
    EnglishLocale english;
    WindowFixture fixture;
    MainWindow window{*fixture.model, fixture.actions()};

    ActiveWindow() {
        window.resize(1000, 1500);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(runUntil([&] { return window.isActiveWindow(); }));
        EXPECT_TRUE(runUntil([&] { return window.page() == MainWindow::Page::list; }));
        // The list shows before the feeds are in; the tours need every entry.
        EXPECT_TRUE(runUntil(
            [&] { return fixture.model->result().has_value() && !fixture.model->isChecking(); }));
    }

    QScrollArea* scroll() const { return window.findChild<QScrollArea*>(); }
};

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &down);
    if (QWidget* now = QApplication::focusWidget()) {
        QKeyEvent up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(now, &up);
    }
    QCoreApplication::processEvents();
}

// Every control a person operates that the window shows now.
std::set<QWidget*> shownControls(QWidget& window) {
    std::set<QWidget*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->isVisible() && widget->isEnabled() &&
            (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget))) {
            controls.insert(widget);
        }
    }
    return controls;
}

// Where Tab goes from the current focus, once round the window.
std::vector<QWidget*> tour(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    for (int i = 0; i < 300; ++i) {
        press(key, modifiers);
        QWidget* now = QApplication::focusWidget();
        if (now == visited.front()) {
            break;
        }
        visited.push_back(now);
    }
    return visited;
}

// The part of the window a control belongs to, in reading order.
int part(const MainWindow& window, const QWidget* control) {
    if (window.findChild<QToolBar*>()->isAncestorOf(control)) {
        return 0;
    }
    if (window.header()->isAncestorOf(control)) {
        return 1;
    }
    if (window.footer()->isAncestorOf(control)) {
        return 3;
    }
    if (window.toasts()->toast()->isAncestorOf(control)) {
        return 4;
    }
    return 2;
}

// The card or table row holding a control, if any.
const QWidget* holder(const QWidget* control) {
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (qobject_cast<const AppCard*>(w) || qobject_cast<const AppTableRow*>(w)) {
            return w;
        }
    }
    return nullptr;
}

// What draws the focus of a control: itself, or the field it stands in for.
QWidget* drawn(QWidget* control) {
    QWidget* parent = control->parentWidget();
    return parent != nullptr && parent->focusProxy() == control ? parent : control;
}

// Tab visits every control once in reading order, Shift+Tab walks the same way back,
// and each control looks different while it has the focus.
void checkTour(ActiveWindow& w, bool listPage) {
    const std::set<QWidget*> controls = shownControls(w.window);
    ASSERT_FALSE(controls.empty());
    if (listPage) {
        w.window.findChild<FilterTabs*>()->button(AppFilter::all)->setFocus(Qt::TabFocusReason);
    } else {
        w.window.detail()->backButton()->setFocus(Qt::TabFocusReason);
    }
    const std::vector<QWidget*> forward = tour(Qt::Key_Tab, Qt::NoModifier);

    const std::set<QWidget*> seen(forward.begin(), forward.end());
    EXPECT_EQ(seen.size(), forward.size()) << "a control visited twice in one round";
    for (QWidget* control : controls) {
        EXPECT_TRUE(seen.contains(control)) << "not reached: " << control->metaObject()->className()
                                            << " " << control->accessibleName().toStdString();
    }

    // Reading order: toolbar, header, content, footer, toasts; cards top to bottom and
    // from the leading side; one card's controls together.
    std::vector<QWidget*> rotated = forward;
    const auto firstOfToolbar =
        std::ranges::find_if(rotated, [&](QWidget* c) { return part(w.window, c) == 0; });
    ASSERT_NE(firstOfToolbar, rotated.end());
    std::ranges::rotate(rotated, firstOfToolbar);
    const QWidget* content = w.scroll()->widget();
    std::vector<const QWidget*> holders;
    for (size_t i = 1; i < rotated.size(); ++i) {
        EXPECT_LE(part(w.window, rotated[i - 1]), part(w.window, rotated[i]))
            << "at " << i << ": " << rotated[i]->metaObject()->className() << " after "
            << rotated[i - 1]->metaObject()->className() << " "
            << rotated[i - 1]->accessibleName().toStdString();
        const QWidget* h = holder(rotated[i]);
        if (h != nullptr && (holders.empty() || holders.back() != h)) {
            EXPECT_EQ(std::ranges::count(holders, h), 0) << "a card's controls apart";
            holders.push_back(h);
        }
    }
    for (size_t i = 1; i < holders.size(); ++i) {
        const QPoint a = holders[i - 1]->mapTo(content, QPoint());
        const QPoint b = holders[i]->mapTo(content, QPoint());
        EXPECT_TRUE(a.y() < b.y() || (a.y() == b.y() && a.x() < b.x()))
            << "card " << i << " out of reading order";
    }
    if (listPage) {
        EXPECT_GE(holders.size(), 5u) << "every app's card or row";
    }

    // Shift+Tab from the same start goes round the other way.
    forward.front()->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> backward = tour(Qt::Key_Backtab, Qt::ShiftModifier);
    std::reverse(backward.begin() + 1, backward.end());
    EXPECT_EQ(backward, forward);

    // A focus indication: the control's pixels change when it takes the focus.
    for (QWidget* control : forward) {
        QWidget* other = control == forward.front() ? forward.back() : forward.front();
        other->setFocus(Qt::TabFocusReason);
        const QImage before = pixels(*drawn(control));
        control->setFocus(Qt::TabFocusReason);
        const QImage focused = pixels(*drawn(control));
        EXPECT_TRUE(before != focused) << "no visible focus: " << control->metaObject()->className()
                                       << " " << control->accessibleName().toStdString();
    }
}

TEST(KeyboardFocus, TabReachesEveryControlOfTheGridInReadingOrder) {
    ActiveWindow w;
    // A banner with a button, so the toast's button is on the way too.
    w.fixture.model->showBanner("Moved to the Trash", QString("Undo"), 60, [] {});
    checkTour(w, true);
}

TEST(KeyboardFocus, TabReachesEveryControlOfTheTable) {
    ActiveWindow w;
    w.fixture.model->setLayout(ListLayout::table);
    // A running job, so its row's cancel button is on the way too.
    const std::optional<kestle::AppEntry> notes = w.fixture.model->entry("notes");
    ASSERT_TRUE(notes.has_value());
    w.fixture.model->queue().update(*notes);
    checkTour(w, true);
}

TEST(KeyboardFocus, TabReachesEveryControlOfTheDetailPage) {
    ActiveWindow w;
    w.fixture.model->setDetail("notes");
    ASSERT_EQ(w.window.page(), MainWindow::Page::detail);
    checkTour(w, false);
}

TEST(KeyboardFocus, KeysPressButtonsAndMoveBetweenFilterTabs) {
    ActiveWindow w;
    auto* tabs = w.window.findChild<FilterTabs*>();

    // The arrows go along the tabs and choose them; at the ends they stay.
    tabs->button(AppFilter::all)->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), tabs->button(AppFilter::installed));
    EXPECT_EQ(w.fixture.model->filter(), AppFilter::installed);
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), tabs->button(AppFilter::all));
    EXPECT_EQ(w.fixture.model->filter(), AppFilter::all);

    // Return, Enter and Space all press the focused button.
    tabs->button(AppFilter::updates)->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    EXPECT_EQ(w.fixture.model->filter(), AppFilter::updates);
    tabs->button(AppFilter::notInstalled)->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(w.fixture.model->filter(), AppFilter::notInstalled);
    tabs->button(AppFilter::all)->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    EXPECT_EQ(w.fixture.model->filter(), AppFilter::all);

    // Opening an app's page from the keyboard puts the focus on it; Back returns it to
    // the list.
    auto* card = w.window.findChildren<AppCard*>().front();
    card->nameButton()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    ASSERT_EQ(w.window.page(), MainWindow::Page::detail);
    EXPECT_EQ(QApplication::focusWidget(), w.window.detail()->backButton());
    press(Qt::Key_Return);
    ASSERT_EQ(w.window.page(), MainWindow::Page::list);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(QApplication::focusWidget()->isVisible());
    EXPECT_TRUE(w.window.isAncestorOf(QApplication::focusWidget()));
}

} // namespace
