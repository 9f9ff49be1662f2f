#include "views/menubar/MenuBarItems.hpp"

#include <string>
#include <vector>

#include <QLocale>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"

using kestle::AppEntry;
using kestle::JobKind;
using kestle::UpdateFailure;
using kestle::UpdateOutcome;
using kestle::UpdateState;
using kestle::UpdateStep;
using kestle::app::MenuBarItems;
using kestle::test::EnglishLocale;
using kestle::test::ViewTestModel;

namespace {

// "id|title" per line, with a trailing " (off)" for a disabled one.
std::vector<std::string> describe(const std::vector<MenuBarItems::Item>& items) {
    std::vector<std::string> lines;
    for (const auto& item : items) {
        lines.push_back(item.id + "|" + item.title.toStdString() +
                        (item.isDisabled ? " (off)" : ""));
    }
    return lines;
}

const MenuBarItems::Item& line(const std::vector<MenuBarItems::Item>& items,
                               const std::string& id) {
    for (const auto& item : items) {
        if (item.id == id) {
            return item;
        }
    }
    ADD_FAILURE() << "no line " << id;
    static const MenuBarItems::Item none;
    return none;
}

} // namespace

TEST(MenuBarItems, LinesFollowAJobFromUpdateAllToItsFailureAndRetry) {
    EnglishLocale english;
    ViewTestModel fixture;
    auto& model = *fixture.model;

    auto items = MenuBarItems::items(model);
    EXPECT_EQ(describe(items),
              (std::vector<std::string>{"notes|Update Notes to 1.2", "paint|Update Paint to 2.1",
                                        "all|Update All"}))
        << "an app that is not installed offers no update line";
    EXPECT_EQ(items[0].entry->id(), "notes");
    EXPECT_FALSE(items[2].entry) << "Update All shows no icon";

    items[2].run(model);
    EXPECT_EQ(fixture.script->ids, (std::vector<std::string>{"notes"}));
    EXPECT_EQ(
        describe(MenuBarItems::items(model)),
        (std::vector<std::string>{"notes|Notes: preparing… (off)", "paint|Paint: queued (off)"}))
        << "jobs under way are no updates on offer, so Update All goes";

    struct Step {
        const char* fault;
        UpdateStep step;
        const char* title;
    };
    const Step steps[] = {
        {"a share of a known size", UpdateStep::downloading(1'500'000, 3'000'000),
         "Notes: 50% of 3 MB"},
        {"an unknown size has no share", UpdateStep::downloading(5000, 0), "Notes: downloading…"},
        {"more than expected is clamped", UpdateStep::downloading(4000, 3000),
         "Notes: 100% of 3 KB"},
        {"nothing received yet", UpdateStep::downloading(0, 2000), "Notes: 0% of 2 KB"},
        {"signature check", UpdateStep::verifying(), "Notes: checking the signature…"},
        {"an update replaces", UpdateStep::installing(true), "Notes: replacing…"},
        {"waiting for the app to quit still replaces", UpdateStep::waitingForQuit(),
         "Notes: replacing…"},
    };
    for (const Step& step : steps) {
        fixture.script->step(step.step);
        const auto lines = MenuBarItems::items(model);
        const auto& notes = line(lines, "notes");
        EXPECT_EQ(notes.title.toStdString(), step.title) << step.fault;
        EXPECT_TRUE(notes.isDisabled) << step.fault;
    }

    fixture.script->end(UpdateOutcome::failed(UpdateFailure::of(UpdateFailure::Kind::connection)));
    items = MenuBarItems::items(model);
    EXPECT_EQ(describe(items),
              (std::vector<std::string>{"notes|Notes: didn’t go through, try again",
                                        "paint|Paint: preparing… (off)"}));
    line(items, "notes").run(model);
    EXPECT_EQ(fixture.script->ids, (std::vector<std::string>{"notes", "paint"}));
    EXPECT_EQ(line(MenuBarItems::items(model), "notes").title.toStdString(), "Notes: queued")
        << "retrying a failed update queues it again";
}

TEST(MenuBarItems, OneUpdateHasNoUpdateAllAndAHandedOverAppOpens) {
    EnglishLocale english;
    ViewTestModel fixture;
    auto& model = *fixture.model;
    std::vector<std::string> opened;
    auto open = [&](const AppEntry& entry) { opened.push_back(entry.id()); };

    line(MenuBarItems::items(model, open), "paint").run(model);
    EXPECT_EQ(
        describe(MenuBarItems::items(model, open)),
        (std::vector<std::string>{"notes|Update Notes to 1.2", "paint|Paint: preparing… (off)"}));

    fixture.script->end(UpdateOutcome::handedToApp());
    auto items = MenuBarItems::items(model, open);
    const auto& paint = line(items, "paint");
    EXPECT_EQ(paint.title.toStdString(), "Open Paint to Install Its Update");
    EXPECT_FALSE(paint.isDisabled);
    paint.run(model);
    EXPECT_EQ(opened, (std::vector<std::string>{"paint"}));
    EXPECT_EQ(fixture.script->ids.size(), 1u) << "opening the app starts no job";
}

TEST(MenuBarItems, AFirstInstallIsInstalledNotReplaced) {
    EnglishLocale english;
    ViewTestModel fixture;
    auto& model = *fixture.model;
    model.queue().install(fixture.entry("maps"));
    fixture.script->step(UpdateStep::installing(false));
    EXPECT_EQ(line(MenuBarItems::items(model), "maps").title.toStdString(), "Maps: installing…");
    EXPECT_EQ(MenuBarItems::progressTitle(fixture.entry("maps"),
                                          UpdateState::active(UpdateStep::waitingForQuit()),
                                          JobKind::install)
                  .toStdString(),
              "Maps: installing…");
}

TEST(MenuBarItems, PercentAndSizeFollowTheUserLocale) {
    QLocale saved;
    // Arabic-Indic digits: a title built with plain number formatting would show "50".
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    ViewTestModel fixture;
    const QString title = MenuBarItems::progressTitle(
        fixture.entry("notes"), UpdateState::active(UpdateStep::downloading(1'250'000, 2'500'000)),
        JobKind::update);
    const QString share = QLocale().toString(50) + QLocale().percent();
    QLocale::setDefault(saved);
    EXPECT_NE(share, QStringLiteral("50%"));
    EXPECT_TRUE(title.startsWith(QStringLiteral("Notes: ") + share + QStringLiteral(" of ")))
        << title.toStdString();
    EXPECT_EQ(title.indexOf(QStringLiteral("50")), -1) << title.toStdString();
}
