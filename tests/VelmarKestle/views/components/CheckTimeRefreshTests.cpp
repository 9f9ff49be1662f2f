#include <chrono>
#include <memory>

#include <QLabel>

#include <gtest/gtest.h>

#include "VelmarKestle/views/settings/SettingsTestSupport.hpp"
#include "services/DailyCheck.hpp"
#include "views/components/CheckTimeRefresh.hpp"
#include "views/settings/UpdateSettings.hpp"
#include "views/window/StatusFooter.hpp"

using kestle::app::CheckTimeRefresh;
using kestle::app::Clock;
using kestle::app::StatusFooter;
using kestle::app::UpdateSettings;
using kestle::test::ClockedModel;
using kestle::test::runUntil;
using std::chrono::milliseconds;

namespace {

Clock::time_point at(const QDateTime& time) {
    return Clock::time_point(milliseconds(time.toMSecsSinceEpoch()));
}

const QDateTime kCheck(QDate(2026, 12, 9), QTime(12, 0));

TEST(CheckTimeRefresh, NextChangeIsWhereTheTextChanges) {
    const QDateTime midnight(QDate(2026, 12, 10), QTime(0, 0));
    struct Case {
        const char* name;
        QDateTime now;
        std::optional<QDateTime> next;
    };
    for (const Case& c : {Case{"just now", kCheck.addSecs(30), kCheck.addSecs(60)},
                          Case{"today", kCheck.addSecs(3600), midnight},
                          Case{"yesterday", kCheck.addDays(1), midnight.addDays(1)},
                          Case{"a date for good", kCheck.addDays(2), std::nullopt}}) {
        SCOPED_TRACE(c.name);
        const auto next = CheckTimeRefresh::nextChange(at(kCheck), at(c.now));
        ASSERT_EQ(next.has_value(), c.next.has_value());
        if (next) {
            EXPECT_EQ(*next, at(*c.next));
        }
    }
}

// A window left open: the footer's and the settings' check time move on by
// themselves at each boundary, with nothing else happening in the model.
TEST(CheckTimeRefresh, FooterAndSettingsAgeWhileOpen) {
    struct Case {
        const char* name;
        QDateTime opened; // when the window opens, just before a boundary
        QDateTime later;  // the clock once past it
        const char* before;
        const char* after;
    };
    const QDateTime beforeMidnight(QDate(2026, 12, 9), QTime(23, 59, 59, 800));
    for (const Case& c :
         {Case{"a minute", kCheck.addMSecs(59'800), kCheck.addSecs(61), "Checked just now",
               "Checked today at"},
          Case{"midnight", beforeMidnight, beforeMidnight.addSecs(1), "Checked today at",
               "Checked yesterday at"},
          Case{"the next midnight", beforeMidnight.addDays(1), beforeMidnight.addDays(1).addSecs(1),
               "Checked yesterday at", "Checked on"}}) {
        SCOPED_TRACE(c.name);
        ClockedModel clocked(kCheck);
        ASSERT_TRUE(clocked.check());
        clocked.set(c.opened);
        StatusFooter footer(*clocked.model, {});
        kestle::app::DailyCheck daily;
        UpdateSettings settings(*clocked.model, daily, nullptr, QStringLiteral("1.0 (1)"));
        EXPECT_TRUE(footer.statusText().startsWith(c.before)) << footer.statusText().toStdString();
        EXPECT_TRUE(settings.lastCheckLabel()->text().startsWith(c.before));
        EXPECT_TRUE(footer.checkTimeRefresh()->isWaiting());
        clocked.set(c.later);
        EXPECT_TRUE(runUntil([&] { return footer.statusText().startsWith(c.after); },
                             std::chrono::seconds(5)))
            << footer.statusText().toStdString();
        EXPECT_TRUE(runUntil([&] { return settings.lastCheckLabel()->text().startsWith(c.after); },
                             std::chrono::seconds(5)))
            << settings.lastCheckLabel()->text().toStdString();
    }
}

TEST(CheckTimeRefresh, WaitsForNothingWithoutACheckOrOnceOnlyADateIsLeft) {
    ClockedModel clocked(kCheck);
    StatusFooter never(*clocked.model, {});
    EXPECT_FALSE(never.checkTimeRefresh()->isWaiting());
    ASSERT_TRUE(clocked.check());
    clocked.set(kCheck.addDays(3));
    StatusFooter old(*clocked.model, {});
    EXPECT_TRUE(old.statusText().startsWith("Checked on"));
    EXPECT_FALSE(old.checkTimeRefresh()->isWaiting());
}

} // namespace
