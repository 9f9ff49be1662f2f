#include <string>
#include <vector>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "VelmarKestle/views/window/WindowFixture.hpp"
#include "views/components/AccessibleEvents.hpp"
#include "views/components/AppIconView.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/components/KestleGlyph.hpp"
#include "views/components/KestleProgressBar.hpp"
#include "views/components/SymbolView.hpp"
#include "views/controls/AppIconButton.hpp"
#include "views/detail/AppDetail.hpp"
#include "views/jobs/ToastOverlay.hpp"
#include "views/jobs/UpdateProgressRow.hpp"
#include "views/jobs/UpdateToast.hpp"
#include "views/window/MainWindow.hpp"

using kestle::UpdateOutcome;
using kestle::UpdateStep;
using kestle::app::AccessibleEvents;
using kestle::app::AppIconButton;
using kestle::app::AppIconView;
using kestle::app::HeadingLabel;
using kestle::app::KestleGlyph;
using kestle::app::MainWindow;
using kestle::app::SymbolView;
using kestle::app::ToastOverlay;
using kestle::app::UpdateProgressRow;
using kestle::test::EnglishLocale;
using kestle::test::runUntil;
using kestle::test::ViewTestModel;
using kestle::test::WindowFixture;

using namespace std::chrono_literals;

namespace {

QAccessibleInterface* accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

TEST(Accessibility, HeadingsOfTheDetailPageAreReadByTheirText) {
    EnglishLocale english;
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    window.show();
    ASSERT_TRUE(runUntil([&] { return window.page() == MainWindow::Page::list; }));
    fixture.model->setDetail("notes");
    ASSERT_NE(window.detail(), nullptr);

    std::vector<std::string> headings;
    for (HeadingLabel* heading : window.detail()->findChildren<HeadingLabel*>()) {
        if (!heading->isVisible()) {
            continue;
        }
        QAccessibleInterface* face = accessible(heading);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->role(), QAccessible::Heading);
        EXPECT_EQ(face->text(QAccessible::Name), heading->text());
        headings.push_back(face->text(QAccessible::Name).toStdString());
    }
    // The name, the release notes' title and the description's title, in page order.
    ASSERT_EQ(headings.size(), 3u);
    EXPECT_EQ(headings[0], "Notes");
    EXPECT_NE(headings[1].find("1.2"), std::string::npos) << headings[1];
    EXPECT_EQ(headings[2], "What It Does");

    // A name given on purpose wins over the text shown.
    HeadingLabel named("Notes");
    named.setAccessibleName("Notes, the app");
    EXPECT_EQ(accessible(&named)->text(QAccessible::Name), "Notes, the app");
}

TEST(Accessibility, PicturesBesideTheirTextAreHiddenFromScreenReaders) {
    EnglishLocale english;
    WindowFixture fixture;
    MainWindow window(*fixture.model, fixture.actions());
    window.show();
    ASSERT_TRUE(runUntil([&] { return window.page() == MainWindow::Page::list; }));

    const auto icons = window.findChildren<AppIconView*>();
    ASSERT_FALSE(icons.empty());
    for (AppIconView* icon : icons) {
        EXPECT_TRUE(accessible(icon)->state().invisible) << "an app icon beside its name";
        EXPECT_EQ(accessible(icon)->childCount(), 0);
    }
    // The button the icon sits in still speaks, under its own name.
    const auto buttons = window.findChildren<AppIconButton*>();
    ASSERT_FALSE(buttons.empty());
    QAccessibleInterface* button = accessible(buttons.front());
    EXPECT_FALSE(button->state().invisible);
    EXPECT_EQ(button->text(QAccessible::Name).left(17), "Open the Page of ");

    KestleGlyph glyph;
    glyph.show();
    EXPECT_TRUE(accessible(&glyph)->state().invisible);

    // A symbol that carries the message (the problem row's) is read like any picture.
    SymbolView symbol("exclamationmark.triangle", 12, SymbolView::Tone::danger);
    symbol.show();
    EXPECT_TRUE(accessible(&symbol)->state().invisible);
    symbol.setAccessibleName("The download failed.");
    EXPECT_FALSE(accessible(&symbol)->state().invisible);
    EXPECT_EQ(accessible(&symbol)->role(), QAccessible::Graphic);
}

TEST(Accessibility, ProgressRowIsOneIndicatorNamedByItsLine) {
    EnglishLocale english;
    ViewTestModel t;
    t.model->queue().update(t.entry("notes"));
    UpdateProgressRow row(*t.model, t.entry("notes"), false);
    row.show();
    t.script->step(UpdateStep::downloading(25, 100));
    ASSERT_TRUE(runUntil([&] { return row.progressBar()->fraction() == 0.25; }));

    QAccessibleInterface* bar = accessible(row.progressBar());
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    EXPECT_EQ(bar->text(QAccessible::Name), row.statusText());
    EXPECT_NE(row.statusText().indexOf("25"), -1) << row.statusText().toStdString();
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(bar->valueInterface()->currentValue().toDouble(), 0.25);

    // The visible line is not read a second time beside the indicator.
    int readable = 0;
    QAccessibleInterface* stack = bar->parent();
    for (int i = 0; i < stack->childCount(); ++i) {
        if (!stack->child(i)->state().invisible) {
            ++readable;
        }
    }
    EXPECT_EQ(readable, 1);

    t.script->step(UpdateStep::downloading(50, 100));
    ASSERT_TRUE(runUntil([&] { return row.progressBar()->fraction() == 0.5; }));
    EXPECT_EQ(bar->text(QAccessible::Name), row.statusText()) << "the name follows the line";
}

// What the views told screen readers, while a test listens. (Qt's own update handler
// hears nothing here: the offscreen platform has no active bridge.)
struct HeardEvents {
    struct Heard {
        QObject* object;
        QAccessible::Event type;
    };
    std::vector<Heard> heard;

    HeardEvents() {
        AccessibleEvents::listen([this](const QAccessibleEvent& event) {
            heard.push_back({event.object(), event.type()});
        });
    }
    ~HeardEvents() { AccessibleEvents::listen({}); }

    std::vector<QAccessible::Event> of(QObject* object) const {
        std::vector<QAccessible::Event> types;
        for (const Heard& h : heard) {
            if (h.object == object) {
                types.push_back(h.type);
            }
        }
        return types;
    }
};

TEST(Accessibility, ToastsAreAlertsThatTheLinuxBridgeAnnounces) {
    EnglishLocale english;
    ViewTestModel t;
    QWidget window;
    window.resize(900, 600);
    ToastOverlay overlay(*t.model, &window, {});
    overlay.setFadeDuration(0ms);
    window.show();
    HeardEvents events;
    QWidget* toast = overlay.toast();
    EXPECT_EQ(accessible(toast)->role(), QAccessible::AlertMessage);

    // Appearing: Qt reports the show itself, which the bridge passes on; the Alert is
    // for the bridges of other systems.
    t.model->showBanner("Moved to the Trash", std::nullopt, 5);
    EXPECT_TRUE(toast->isVisible());
    EXPECT_EQ(accessible(toast)->text(QAccessible::Name), "Moved to the Trash");
    EXPECT_EQ(events.of(toast), std::vector<QAccessible::Event>{QAccessible::Alert});

    // Replaced while on screen, it never stopped showing: readers are told it went and
    // came back, so the new text is announced as well.
    events.heard.clear();
    t.model->showBanner("Put back", std::nullopt, 5);
    EXPECT_EQ(accessible(toast)->text(QAccessible::Name), "Put back");
    EXPECT_EQ(events.of(toast),
              (std::vector<QAccessible::Event>{QAccessible::ObjectHide, QAccessible::ObjectShow,
                                               QAccessible::Alert}));

    // Gone and shown afresh, Qt's own show is enough again.
    t.model->dismissBanner(t.model->banner()->id);
    EXPECT_FALSE(toast->isVisible());
    events.heard.clear();
    t.model->showBanner("Moved to the Trash", std::nullopt, 5);
    EXPECT_EQ(events.of(toast), std::vector<QAccessible::Event>{QAccessible::Alert});

    // The label inside is part of the alert, not a second message.
    int labels = 0;
    for (QLabel* label : toast->findChildren<QLabel*>()) {
        ++labels;
        EXPECT_TRUE(accessible(label)->state().invisible);
    }
    EXPECT_EQ(labels, 1);
}

} // namespace
