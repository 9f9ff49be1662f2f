#include "views/components/StatusChip.hpp"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestSupport.hpp"
#include "views/style/VelmarTheme.hpp"

using kestle::AppEntry;
using kestle::FeedItem;
using kestle::InstalledApp;
using kestle::UpdateFailure;
using kestle::UpdateState;
using kestle::UpdateStep;
using kestle::Url;
using kestle::app::StatusChip;
using kestle::app::VelmarTheme;
using kestle::test::entryOf;
using Status = AppEntry::Status;
using Tone = StatusChip::Tone;

namespace {

AppEntry installedWith(const std::string& installedBuild, std::optional<std::string> feedBuild) {
    AppEntry entry = entryOf(Status::installed);
    entry.installed->build = installedBuild;
    if (feedBuild) {
        entry.latest->build = *feedBuild;
    } else {
        entry.latest.reset();
    }
    return entry;
}

struct Row {
    const char* fault;
    AppEntry entry;
    std::optional<UpdateState> update;
    bool installing;
    const char* text;
    Tone tone;
    bool dashed;
};

UpdateState failed(UpdateFailure::Kind kind) {
    return UpdateState::failed(UpdateFailure::of(kind));
}

TEST(StatusChip, TextAndToneFollowTheJobFirstAndTheStatusSecond) {
    const AppEntry update = entryOf(Status::updateAvailable);
    const AppEntry coming = entryOf(Status::coming);
    const AppEntry absent = entryOf(Status::notInstalled);
    const std::vector<Row> rows = {
        {"queued", update, UpdateState::queued(), false, "Queued", Tone::available, false},
        {"downloading", update, UpdateState::active(UpdateStep::downloading(5, 10)), false,
         "Downloading…", Tone::available, false},
        {"checking reads as preparing", update, UpdateState::active(UpdateStep::checking()), false,
         "Preparing…", Tone::available, false},
        {"verifying", update, UpdateState::active(UpdateStep::verifying()), false,
         "Checking Signature…", Tone::available, false},
        {"first install, installing", absent, UpdateState::active(UpdateStep::installing(false)),
         true, "Installing…", Tone::available, false},
        {"first install, waiting for quit", absent,
         UpdateState::active(UpdateStep::waitingForQuit()), true, "Installing…", Tone::available,
         false},
        {"update, installing", update, UpdateState::active(UpdateStep::installing(true)), false,
         "Replacing…", Tone::available, false},
        {"update, waiting for quit", update, UpdateState::active(UpdateStep::waitingForQuit()),
         false, "Replacing…", Tone::available, false},
        {"lost connection on an update", update, failed(UpdateFailure::Kind::connection), false,
         "Download Interrupted", Tone::danger, false},
        {"lost connection on a first install", absent, failed(UpdateFailure::Kind::connection),
         true, "Download Interrupted", Tone::danger, false},
        {"first install failed", absent, failed(UpdateFailure::Kind::signature), true,
         "Install Failed", Tone::danger, false},
        {"update failed", update, failed(UpdateFailure::Kind::damaged), false, "Update Failed",
         Tone::danger, false},
        {"update failed with a code", update, UpdateState::failed(UpdateFailure::other(-1)), false,
         "Update Failed", Tone::danger, false},
        {"handed to the app reads as no job", update, UpdateState::handedToApp(), false,
         "Update Available", Tone::update, false},
        {"update available", update, std::nullopt, false, "Update Available", Tone::update, false},
        {"coming", coming, std::nullopt, false, "Coming Soon", Tone::neutral, true},
        {"coming, handed to the app, stays dashed", coming, UpdateState::handedToApp(), false,
         "Coming Soon", Tone::neutral, true},
        {"coming with a job of its own is solid", coming, UpdateState::queued(), true, "Queued",
         Tone::available, false},
        {"not installed", absent, std::nullopt, false, "Not Installed", Tone::available, false},
        {"installed build equals the feed's", installedWith("100", "100"), std::nullopt, false,
         "Installed · Up to Date", Tone::neutral, false},
        {"installed build newer than the feed's", installedWith("120", "100"), std::nullopt, false,
         "Installed · Up to Date", Tone::neutral, false},
        {"installed without a feed item", installedWith("100", std::nullopt), std::nullopt, false,
         "Installed", Tone::neutral, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(StatusChip::text(row.entry, row.update, row.installing).toStdString(), row.text);
        EXPECT_EQ(StatusChip::tone(row.entry, row.update), row.tone);
        EXPECT_EQ(StatusChip::isDashed(row.entry, row.update), row.dashed);
    }
}

TEST(StatusChip, TonesTakeTheirNamedColoursInBothAppearances) {
    using C = VelmarTheme::Color;
    struct Case {
        Tone tone;
        std::optional<C> text;
        std::optional<C> fill;
        C outline;
    };
    const std::vector<Case> cases = {
        {Tone::available, C::available, C::availableFill, C::availableEdge},
        {Tone::danger, C::danger, C::dangerFill, C::dangerEdge},
        {Tone::update, C::update, C::updateFill, C::updateEdge},
        {Tone::neutral, std::nullopt, std::nullopt, C::strongSeparator},
    };
    for (bool dark : {false, true}) {
        QPalette palette = dark ? kestle::test::darkPalette() : kestle::test::lightPalette();
        auto named = [dark](C color) {
            return dark ? VelmarTheme::dark(color) : VelmarTheme::light(color);
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "dark " << dark << ", tone " << int(c.tone));
            StatusChip::Colors colors = StatusChip::colors(c.tone, palette);
            if (c.text) {
                EXPECT_EQ(colors.text, named(*c.text));
            } else {
                EXPECT_EQ(colors.text.rgb(), palette.color(QPalette::WindowText).rgb())
                    << "neutral chips use the secondary text colour";
                EXPECT_LT(colors.text.alphaF(), 1);
            }
            if (c.fill) {
                EXPECT_EQ(colors.fill, named(*c.fill));
            } else {
                EXPECT_EQ(colors.fill.alpha(), 0);
            }
            EXPECT_EQ(colors.outline, named(c.outline));
        }
    }
}

// How many pixels of the top edge's middle carry the outline.
int outlinedPixelsOnTopEdge(StatusChip& chip) {
    chip.resize(chip.sizeHint());
    QImage image = kestle::test::pixels(chip);
    QColor window = chip.palette().color(QPalette::Window);
    int drawn = 0;
    for (int x = 8; x < image.width() - 8; ++x) {
        drawn += kestle::test::near(image.pixelColor(x, 0), window, 1) ? 0 : 1;
    }
    return drawn;
}

TEST(StatusChip, OnlyAComingChipDrawsADashedOutline) {
    StatusChip coming(entryOf(Status::coming));
    StatusChip installed(installedWith("100", "100"));
    for (StatusChip* chip : {&coming, &installed}) {
        chip->setPalette(kestle::test::lightPalette());
    }
    int comingEdge = outlinedPixelsOnTopEdge(coming);
    int span = coming.sizeHint().width() - 16;
    EXPECT_GT(comingEdge, span / 2) << "the outline is there";
    EXPECT_LT(comingEdge, span * 4 / 5) << "with gaps of 2 in every 5 points";
    EXPECT_EQ(outlinedPixelsOnTopEdge(installed), installed.sizeHint().width() - 16);

    coming.setState(entryOf(Status::coming), UpdateState::queued(), true);
    EXPECT_EQ(outlinedPixelsOnTopEdge(coming), coming.sizeHint().width() - 16);
}

TEST(StatusChip, ShowsUpperCaseAndOnlyAShrinkingChipMayNarrow) {
    StatusChip chip(installedWith("100", "100"));
    EXPECT_EQ(chip.shownText().toStdString(), "INSTALLED · UP TO DATE");
    EXPECT_EQ(chip.minimumSizeHint(), chip.sizeHint());
    EXPECT_EQ(chip.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);

    int wide = chip.sizeHint().width();
    chip.setShrinks(true);
    EXPECT_LT(chip.sizeHint().width(), wide) << "tighter tracking";
    EXPECT_LT(chip.minimumSizeHint().width(), chip.sizeHint().width());
    EXPECT_GE(chip.minimumSizeHint().width(), (chip.sizeHint().width() - 14) * 4 / 5 + 14);
    EXPECT_EQ(chip.minimumSizeHint().height(), chip.sizeHint().height());
}

} // namespace
