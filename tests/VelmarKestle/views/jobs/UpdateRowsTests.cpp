#include <optional>
#include <string>
#include <vector>

#include <QAbstractButton>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "views/components/KestleProgressBar.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/controls/SquareButton.hpp"
#include "views/jobs/UpdateProblemRow.hpp"
#include "views/jobs/UpdateProgressRow.hpp"

using kestle::AppEntry;
using kestle::JobKind;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::UpdateState;
using kestle::UpdateStep;
using kestle::app::UpdateProblemRow;
using kestle::app::UpdateProgressRow;
using kestle::test::EnglishLocale;
using kestle::test::ViewTestModel;

namespace {

AppEntry notes() {
    AppEntry entry;
    entry.app = ViewTestModel::catalogApp("notes", "Notes", true);
    entry.installed =
        kestle::InstalledApp{kestle::Url::fromPath("/Applications/Notes.app"), "1.1", "11"};
    entry.latest = ViewTestModel::release("12", "1.2");
    return entry;
}

UpdateState active(UpdateStep step) {
    return UpdateState::active(step);
}

UpdateState failed(UpdateFailure::Kind kind) {
    return UpdateState::failed(UpdateFailure::of(kind));
}

TEST(UpdateProgressRow, StatusTextPerStepJobKindAndLayout) {
    EnglishLocale english;
    constexpr JobKind update = JobKind::update;
    constexpr JobKind install = JobKind::install;
    struct Case {
        const char* fault;
        UpdateState state;
        JobKind kind;
        bool compact;
        const char* text;
    };
    const Case cases[] = {
        {"regular queued update", UpdateState::queued(), update, false,
         "Queued after the other updates"},
        {"update download with a size", active(UpdateStep::downloading(1'500'000, 3'000'000)),
         update, false, "Downloading 1.2: 1.5 MB of 3 MB · 50%"},
        {"update download without a size shows no percentage",
         active(UpdateStep::downloading(1'500'000, 0)), update, false, "Downloading 1.2: 1.5 MB"},
        {"replacing a running app", active(UpdateStep::installing(true)), update, false,
         "Quitting Notes, replacing it and opening it again…"},
        {"replacing a closed app", active(UpdateStep::installing(false)), update, false,
         "Replacing Notes with 1.2…"},
        {"update preparing", active(UpdateStep::checking()), update, false,
         "Preparing the update to 1.2…"},
        {"update verifying", active(UpdateStep::verifying()), update, false,
         "Checking velmar’s signature…"},
        {"update waiting for quit", active(UpdateStep::waitingForQuit()), update, false,
         "Notes hasn’t quit yet."},
        {"regular queued install", UpdateState::queued(), install, false,
         "Queued after the other apps"},
        {"install download with a size", active(UpdateStep::downloading(500, 2000)), install, false,
         "Downloading: 500 bytes of 2 KB · 25%"},
        {"install download of nothing yet", active(UpdateStep::downloading(0, 0)), install, false,
         "Downloading: Zero KB"},
        {"install copying", active(UpdateStep::installing(false)), install, false,
         "Moving Notes to Applications…"},
        {"install waiting reads as copying", active(UpdateStep::waitingForQuit()), install, false,
         "Moving Notes to Applications…"},
        {"install preparing", active(UpdateStep::checking()), install, false,
         "Preparing the download…"},
        {"install verifying", active(UpdateStep::verifying()), install, false,
         "Checking velmar’s signature…"},
        {"compact queued update", UpdateState::queued(), update, true, "Queued"},
        {"compact queued install", UpdateState::queued(), install, true, "Queued"},
        {"compact download with a size", active(UpdateStep::downloading(1'500'000, 3'000'000)),
         update, true, "50% of 3 MB"},
        {"compact download past its size is clamped", active(UpdateStep::downloading(150, 100)),
         install, true, "100% of 100 bytes"},
        {"compact download without a size", active(UpdateStep::downloading(5, 0)), update, true,
         "Downloading…"},
        {"compact update installing", active(UpdateStep::installing(true)), update, true,
         "Replacing…"},
        {"compact install installing", active(UpdateStep::installing(false)), install, true,
         "Installing…"},
        {"compact preparing", active(UpdateStep::checking()), install, true, "Preparing…"},
        {"compact verifying", active(UpdateStep::verifying()), update, true, "Checking Signature…"},
        {"compact update waiting", active(UpdateStep::waitingForQuit()), update, true,
         "Notes is still open"},
        {"compact install waiting", active(UpdateStep::waitingForQuit()), install, true,
         "Notes is still open"},
        {"an ended job has no status line", failed(UpdateFailure::Kind::damaged), update, false,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(UpdateProgressRow::text(notes(), c.state, c.kind, c.compact),
                  QString::fromUtf8(c.text));
    }
}

TEST(UpdateProgressRow, ControlAndBarFollowTheJobAndActOnTheQueue) {
    ViewTestModel t;
    auto& queue = t.model->queue();
    queue.update(t.entry("notes"));
    queue.install(t.entry("maps"));
    UpdateProgressRow notesRow(*t.model, t.entry("notes"), false);
    UpdateProgressRow mapsRow(*t.model, t.entry("maps"), true);

    // A queued app: an empty bar, not the stripes, and a way out of the queue.
    EXPECT_EQ(mapsRow.progressBar()->fraction(), std::optional<double>(0.0));
    ASSERT_TRUE(qobject_cast<kestle::app::SquareButton*>(mapsRow.control()));
    EXPECT_EQ(mapsRow.control()->toolTip(), "Take Out of the Queue");
    EXPECT_EQ(mapsRow.control()->accessibleName(), "Take Out of the Queue");

    enum class Control { none, cancel, quitAgain };
    struct Case {
        const char* fault;
        UpdateStep step;
        Control control;
        std::optional<double> fraction;
    };
    const Case cases[] = {
        {"preparing can be canceled", UpdateStep::checking(), Control::cancel, std::nullopt},
        {"a sized download fills the bar", UpdateStep::downloading(50, 100), Control::cancel, 0.5},
        {"an unsized download shows stripes", UpdateStep::downloading(50, 0), Control::cancel,
         std::nullopt},
        {"verifying cannot be stopped", UpdateStep::verifying(), Control::none, std::nullopt},
        {"installing cannot be stopped", UpdateStep::installing(true), Control::none, std::nullopt},
        {"a running app can be asked again", UpdateStep::waitingForQuit(), Control::quitAgain,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        t.script->step(c.step);
        EXPECT_EQ(notesRow.statusText(),
                  UpdateProgressRow::text(t.entry("notes"), *queue.state("notes"), JobKind::update,
                                          false));
        EXPECT_EQ(notesRow.progressBar()->fraction(), c.fraction);
        QAbstractButton* control = notesRow.control();
        switch (c.control) {
        case Control::none:
            EXPECT_EQ(control, nullptr);
            break;
        case Control::cancel:
            ASSERT_TRUE(qobject_cast<kestle::app::SquareButton*>(control));
            EXPECT_EQ(control->toolTip(), "Cancel the Download");
            break;
        case Control::quitAgain:
            ASSERT_TRUE(qobject_cast<kestle::app::KestleButton*>(control));
            EXPECT_EQ(control->text(), "Quit Again");
            break;
        }
    }

    notesRow.control()->click(); // Quit Again
    EXPECT_EQ(t.script->retryQuits, 1);
    t.script->step(UpdateStep::downloading(10, 100));
    notesRow.control()->click(); // cancel
    EXPECT_EQ(t.script->cancels, 1);
    EXPECT_EQ(queue.state("notes"), UpdateState::active(UpdateStep::downloading(10, 100)))
        << "the state stays until the session ends";

    mapsRow.control()->click(); // take out of the queue
    EXPECT_FALSE(queue.state("maps"));
    EXPECT_FALSE(queue.notice()) << "taking a job out leaves no notice";
    t.script->end(UpdateOutcome::canceled());
    EXPECT_EQ(t.script->ids, std::vector<std::string>{"notes"}) << "maps never started";
}

TEST(UpdateProblemRow, MessagePerFailureAndJobKind) {
    using F = UpdateFailure::Kind;
    struct Case {
        const char* fault;
        UpdateState state;
        const char* update;
        const char* install;
    };
    const Case cases[] = {
        {"other prints its code plainly", UpdateState::failed(UpdateFailure::other(-1234)),
         "The update didn’t go through (error -1234). 1.1 stays as it is.",
         "The installation didn’t go through (error -1234)."},
        {"connection", failed(F::connection),
         "Download interrupted: the connection was lost. 1.1 stays as it is.",
         "Download interrupted: the connection was lost."},
        {"signature", failed(F::signature),
         "The update isn’t signed by velmar, so VelmarKestle didn’t install it. 1.1 stays as it "
         "is.",
         "The download isn’t signed by velmar, so VelmarKestle didn’t install it."},
        {"noPermission", failed(F::noPermission),
         "The system didn’t let VelmarKestle change Notes. Check that you may change the folder "
         "it is in.",
         "The installation didn’t go through."},
        {"notWritable reads as an install", failed(F::notWritable),
         "This account can’t add apps to Applications. Download Notes from velmar’s site.",
         "This account can’t add apps to Applications. Download Notes from velmar’s site."},
        {"alreadyThere reads as an install", failed(F::alreadyThere),
         "There’s already an app called Notes in Applications: VelmarKestle doesn’t replace it.",
         "There’s already an app called Notes in Applications: VelmarKestle doesn’t replace it."},
        {"damaged reads as an install", failed(F::damaged),
         "The download is damaged, so VelmarKestle didn’t install it.",
         "The download is damaged, so VelmarKestle didn’t install it."},
        {"informationOnly", failed(F::informationOnly),
         "This version of Notes is downloaded from its site.",
         "The installation didn’t go through."},
        {"outsideTestFolder", failed(F::outsideTestFolder),
         "The development build updates only the apps in the test folder.",
         "The development build installs only into the test folder."},
        {"appMissing", failed(F::appMissing), "Notes isn’t where it was any more.",
         "The installation didn’t go through."},
        {"handedToApp names the app twice", UpdateState::handedToApp(),
         "Notes has already downloaded the update: in Notes, click “Install and Relaunch”.",
         "Notes has already downloaded the update: in Notes, click “Install and Relaunch”."},
        {"a running job is no problem", UpdateState::queued(), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(UpdateProblemRow::message(notes(), c.state, JobKind::update),
                  QString::fromUtf8(c.update));
        EXPECT_EQ(UpdateProblemRow::message(notes(), c.state, std::nullopt),
                  QString::fromUtf8(c.update))
            << "a job of unknown kind reads as an update";
        EXPECT_EQ(UpdateProblemRow::message(notes(), c.state, JobKind::install),
                  QString::fromUtf8(c.install));
    }
}

// Going back names the version it puts back and reads its own refusals; a failure it
// shares with updates (no permission) reads the same.
TEST(UpdateRows, GoingBackHasItsOwnWords) {
    EnglishLocale english;
    using F = UpdateFailure::Kind;
    constexpr JobKind goBack = JobKind::goBack;
    EXPECT_EQ(UpdateProgressRow::text(notes(), active(UpdateStep::installing(true)), goBack, false,
                                      "1.0"),
              "Quitting Notes, going back to 1.0 and opening it again…");
    EXPECT_EQ(
        UpdateProgressRow::text(notes(), active(UpdateStep::checking()), goBack, false, "1.0"),
        "Going back to Notes 1.0…");
    EXPECT_EQ(UpdateProgressRow::text(notes(), active(UpdateStep::installing(false)), goBack, true),
              "Going Back…");
    EXPECT_EQ(UpdateProgressRow::text(notes(), active(UpdateStep::waitingForQuit()), goBack, false),
              "Notes hasn’t quit yet.");
    EXPECT_EQ(UpdateProblemRow::message(notes(), failed(F::signature), goBack),
              "The earlier version was changed since it was kept, so VelmarKestle didn’t put it "
              "back. 1.1 stays as it is.");
    EXPECT_EQ(UpdateProblemRow::message(notes(), failed(F::appMissing), goBack),
              "Notes changed since its last update, so there’s no earlier version to go back to.");
    EXPECT_EQ(UpdateProblemRow::message(notes(), failed(F::noPermission), goBack),
              UpdateProblemRow::message(notes(), failed(F::noPermission), JobKind::update));
}

TEST(UpdateProblemRow, ButtonFitsTheProblemAndActsThroughTheModel) {
    using F = UpdateFailure::Kind;
    enum class Effect { retried, opened, siteOpened };
    struct Case {
        const char* fault;
        const char* app;
        JobKind kind;
        UpdateOutcome outcome;
        const char* button;
        Effect effect;
    };
    const Case cases[] = {
        {"a failed update is tried again", "notes", JobKind::update,
         UpdateOutcome::failed(UpdateFailure::of(F::connection)), "Try Again", Effect::retried},
        {"a failed install is tried again", "maps", JobKind::install,
         UpdateOutcome::failed(UpdateFailure::of(F::damaged)), "Try Again", Effect::retried},
        {"information only with a site opens it", "notes", JobKind::update,
         UpdateOutcome::failed(UpdateFailure::of(F::informationOnly)), "Open Site",
         Effect::siteOpened},
        {"information only without a site tries again", "paint", JobKind::update,
         UpdateOutcome::failed(UpdateFailure::of(F::informationOnly)), "Try Again",
         Effect::retried},
        {"an unwritable folder sends to the site", "maps", JobKind::install,
         UpdateOutcome::failed(UpdateFailure::of(F::notWritable)), "Open Site", Effect::siteOpened},
        {"an update left to the app opens the app", "notes", JobKind::update,
         UpdateOutcome::handedToApp(), "Open Notes", Effect::opened},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ViewTestModel t;
        auto& queue = t.model->queue();
        c.kind == JobKind::install ? queue.install(t.entry(c.app)) : queue.update(t.entry(c.app));
        t.script->end(c.outcome);

        std::vector<std::string> opened;
        std::vector<std::string> sites;
        kestle::app::AppActions actions;
        actions.open = [&](const AppEntry& entry) { opened.push_back(entry.id()); };
        actions.openSite = [&](const AppEntry& entry) { sites.push_back(entry.id()); };
        UpdateProblemRow row(*t.model, t.entry(c.app), actions, false);
        EXPECT_EQ(row.message(),
                  UpdateProblemRow::message(t.entry(c.app), *queue.state(c.app), c.kind));
        EXPECT_EQ(row.actionButton()->text(), c.button);
        EXPECT_EQ(row.dismissButton()->accessibleName(), "Dismiss");

        row.actionButton()->click();
        switch (c.effect) {
        case Effect::retried:
            EXPECT_EQ(t.script->ids.size(), 2u);
            EXPECT_EQ(queue.state(c.app), UpdateState::active(UpdateStep::checking()));
            EXPECT_TRUE(opened.empty() && sites.empty());
            continue;
        case Effect::opened:
            EXPECT_EQ(opened, std::vector<std::string>{c.app});
            break;
        case Effect::siteOpened:
            EXPECT_EQ(sites, std::vector<std::string>{c.app});
            break;
        }
        EXPECT_EQ(t.script->ids.size(), 1u) << "no new job";
        ASSERT_TRUE(queue.state(c.app)) << "opening does not dismiss";
        row.dismissButton()->click();
        EXPECT_FALSE(queue.state(c.app));
        EXPECT_FALSE(queue.kind(c.app));
    }
}

} // namespace
