#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "views/jobs/ToastButton.hpp"
#include "views/jobs/ToastOverlay.hpp"
#include "views/jobs/UpdateToast.hpp"

using kestle::AppEntry;
using kestle::UpdateNotice;
using kestle::UpdateOutcome;
using kestle::app::ToastOverlay;
using kestle::app::UpdateToast;
using kestle::test::runUntil;
using kestle::test::spin;
using kestle::test::ViewTestModel;

using namespace std::chrono_literals;

namespace {

using Source = ToastOverlay::Shown::Source;

TEST(UpdateToast, NoticeTextPerKind) {
    struct Case {
        UpdateNotice::Kind kind;
        const char* text;
    };
    const Case cases[] = {
        {UpdateNotice::Kind::updated, "Notes is updated to 1.2"},
        {UpdateNotice::Kind::canceled, "Update canceled: 1.2 stays"},
        {UpdateNotice::Kind::installed, "Notes is installed"},
        {UpdateNotice::Kind::noUpdate, "Notes has no update to install"},
        {UpdateNotice::Kind::downloadCanceled, "Download canceled"},
        {UpdateNotice::Kind::wentBack, "Notes is back to 1.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(UpdateToast::noticeText(UpdateNotice{7, "notes", "Notes", c.kind, "1.2"}),
                  QString::fromUtf8(c.text));
    }
}

TEST(UpdateToast, ButtonOnlyWithBothLabelAndAction) {
    UpdateToast toast;
    int pressed = 0;
    toast.setContent("Moved to the Trash", QString("Undo"), {});
    EXPECT_EQ(toast.button(), nullptr) << "a label without an action is no button";
    toast.setContent("Moved to the Trash", std::nullopt, [&] { ++pressed; });
    EXPECT_EQ(toast.button(), nullptr);
    toast.setContent("Moved to the Trash", QString("Undo"), [&] { ++pressed; });
    ASSERT_NE(toast.button(), nullptr);
    EXPECT_EQ(toast.button()->text(), "Undo");
    toast.button()->click();
    EXPECT_EQ(pressed, 1);
    toast.setContent("Done");
    EXPECT_EQ(toast.button(), nullptr);
    EXPECT_EQ(toast.text(), "Done");
}

// A window with the overlay, the fade left out so what is shown changes at once.
struct Window {
    ViewTestModel t;
    QWidget window;
    std::vector<std::string> opened;
    ToastOverlay overlay{*t.model, &window, actions()};

    kestle::app::AppActions actions() {
        kestle::app::AppActions actions;
        actions.open = [this](const AppEntry& entry) { opened.push_back(entry.id()); };
        return actions;
    }

    Window() {
        window.resize(900, 600);
        overlay.setFadeDuration(0ms);
        window.show();
    }
    // Runs an update of Notes to its end.
    void endUpdate(const char* id, UpdateOutcome outcome) {
        t.model->queue().update(t.entry(id));
        t.script->end(outcome);
    }
    bool showing(const QString& text) const {
        return overlay.toast()->isVisible() && overlay.toast()->text() == text;
    }
};

TEST(ToastOverlay, NoticeDismissesItselfAfterItsTime) {
    Window w;
    w.overlay.setNoticeDuration(60ms);
    w.endUpdate("notes", UpdateOutcome::updated());
    ASSERT_TRUE(w.t.model->queue().notice());
    EXPECT_TRUE(w.showing("Notes is updated to 1.2"));
    EXPECT_EQ(w.overlay.toast()->button(), nullptr) << "only an install offers Open";

    // Resting over the bottom edge of the window, centred.
    QRect toast = w.overlay.toast()->geometry();
    EXPECT_NEAR(toast.center().x(), w.window.width() / 2, 1);
    EXPECT_EQ(toast.bottom() + 1 - UpdateToast::shadowMargins().bottom(), w.window.height() - 50);

    ASSERT_TRUE(runUntil([&] { return !w.t.model->queue().notice(); }, 5s));
    EXPECT_FALSE(w.overlay.toast()->isVisible());
    EXPECT_FALSE(w.overlay.shown());
}

TEST(ToastOverlay, FadesAndSlidesInUnlessMotionIsReduced) {
    for (bool reduced : {false, true}) {
        SCOPED_TRACE(reduced ? "reduced" : "full motion");
        if (reduced) {
            qputenv("KESTLE_REDUCE_MOTION", "1");
        }
        Window w;
        w.overlay.setFadeDuration(300ms);
        w.overlay.setNoticeDuration(800ms);
        w.endUpdate("notes", UpdateOutcome::updated());
        UpdateToast* toast = w.overlay.toast();
        const int resting =
            w.window.height() - 50 - (toast->height() - UpdateToast::shadowMargins().bottom());
        EXPECT_TRUE(toast->isVisible());
        if (reduced) {
            EXPECT_EQ(toast->y(), resting) << "no slide, only the fade";
        } else {
            EXPECT_GT(toast->y(), resting) << "comes up from the bottom edge";
        }
        spin(450ms);
        EXPECT_EQ(toast->y(), resting);
        ASSERT_TRUE(runUntil([&] { return !w.t.model->queue().notice(); }, 5s));
        EXPECT_TRUE(toast->isVisible()) << "still fading out";
        ASSERT_TRUE(runUntil([&] { return !toast->isVisible(); }, 5s));
        qunsetenv("KESTLE_REDUCE_MOTION");
    }
}

TEST(ToastOverlay, NewerMessagesReplaceOlderOnesAndKeepTheirOwnTime) {
    Window w;
    auto& queue = w.t.model->queue();
    auto& model = *w.t.model;
    w.overlay.setNoticeDuration(600ms);

    // A second notice replaces the first, and the first one's timer is gone with it.
    w.endUpdate("notes", UpdateOutcome::noUpdate());
    spin(350ms);
    w.endUpdate("paint", UpdateOutcome::updated());
    EXPECT_TRUE(w.showing("Paint is updated to 2.1"));
    spin(350ms); // past the first notice's time, not the second's
    EXPECT_TRUE(w.showing("Paint is updated to 2.1"));
    ASSERT_TRUE(runUntil([&] { return !queue.notice(); }, 5s));

    // A banner takes the place of a notice, and nothing comes back after it.
    w.endUpdate("notes", UpdateOutcome::canceled());
    EXPECT_TRUE(w.showing("Update canceled: 1.1 stays"));
    model.showBanner("Moved to the Trash", std::nullopt, 0.4);
    EXPECT_TRUE(w.showing("Moved to the Trash"));
    EXPECT_FALSE(queue.notice());

    // An older banner's timer does not remove a newer banner.
    spin(200ms);
    model.showBanner("Put back", std::nullopt, 0.8);
    const int64_t second = model.banner()->id;
    spin(350ms); // past the first banner's time
    ASSERT_TRUE(model.banner());
    EXPECT_EQ(model.banner()->id, second);
    EXPECT_TRUE(w.showing("Put back"));

    // A notice arriving under a banner waits for it, then gets its own full time.
    w.endUpdate("paint", UpdateOutcome::noUpdate());
    EXPECT_TRUE(w.showing("Put back"));
    ASSERT_TRUE(runUntil([&] { return !model.banner(); }, 5s));
    EXPECT_TRUE(w.showing("Paint has no update to install"));
    ASSERT_TRUE(w.overlay.shown());
    EXPECT_EQ(w.overlay.shown()->source, Source::notice);
    ASSERT_TRUE(runUntil([&] { return !queue.notice(); }, 5s));
    EXPECT_FALSE(w.overlay.toast()->isVisible());
}

TEST(ToastOverlay, InstalledNoticeOpensTheAppAndDismissesItself) {
    Window w;
    auto& queue = w.t.model->queue();
    queue.install(w.t.entry("maps"));
    w.t.script->end(UpdateOutcome::installed());
    ASSERT_TRUE(w.showing("Maps is installed"));
    ASSERT_NE(w.overlay.toast()->button(), nullptr);
    EXPECT_EQ(w.overlay.toast()->button()->text(), "Open");

    w.overlay.toast()->button()->click();
    EXPECT_FALSE(queue.notice());
    EXPECT_EQ(w.opened, std::vector<std::string>{"maps"});
    EXPECT_FALSE(w.overlay.toast()->isVisible());
}

TEST(ToastOverlay, BannerButtonRunsTheBannersAction) {
    Window w;
    int undone = 0;
    w.t.model->showBanner("Moved to the Trash", QString("Undo"), 11.0, [&] { ++undone; });
    ASSERT_NE(w.overlay.toast()->button(), nullptr);
    EXPECT_EQ(w.overlay.toast()->button()->text(), "Undo");
    w.overlay.toast()->button()->click();
    EXPECT_EQ(undone, 1);
}

} // namespace
