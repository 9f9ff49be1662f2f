#include <chrono>
#include <vector>

#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "views/list/LazyRows.hpp"

using kestle::app::LazyRows;

namespace {

// 300 items of 40 points in three columns inside a 400-point-high scroll area.
struct Scrolled {
    std::vector<QWidget*> made = std::vector<QWidget*>(300, nullptr);
    int makes = 0;
    QScrollArea area;
    LazyRows* rows = nullptr;

    Scrolled() {
        auto* content = new QWidget;
        auto* column = new QVBoxLayout(content);
        rows = new LazyRows(
            3, 10, [this](size_t index) { return item(index); }, content);
        column->addWidget(rows);
        column->addStretch(1);
        area.setWidget(content);
        area.setWidgetResizable(true);
        area.resize(600, 400);
        rows->setCount(made.size());
        area.show();
        kestle::test::spin(std::chrono::milliseconds(20));
    }

    QWidget* item(size_t index) {
        if (made[index] == nullptr) {
            ++makes;
            made[index] = new QWidget;
            made[index]->setMinimumHeight(40);
        }
        return made[index];
    }
};

TEST(LazyRows, PlacesOnlyRowsNearTheVisiblePart) {
    Scrolled scrolled;
    EXPECT_EQ(scrolled.rows->rowCount(), 100);
    EXPECT_EQ(scrolled.rows->rowHeight(), 40);
    EXPECT_EQ(scrolled.rows->sizeHint().height(), 100 * 40 + 99 * 10);
    EXPECT_GT(scrolled.makes, 20);
    EXPECT_LT(scrolled.makes, 60) << "about a screenful, not 300";
    ASSERT_NE(scrolled.rows->placed(4), nullptr);
    EXPECT_EQ(scrolled.rows->placed(4)->geometry().topLeft(),
              QPoint(scrolled.rows->placed(1)->x(), 50))
        << "row 1, middle column";
    EXPECT_EQ(scrolled.rows->placed(299), nullptr);

    scrolled.area.verticalScrollBar()->setValue(scrolled.area.verticalScrollBar()->maximum());
    kestle::test::spin(std::chrono::milliseconds(20));
    ASSERT_NE(scrolled.rows->placed(299), nullptr);
    EXPECT_FALSE(scrolled.rows->placed(299)->isHidden());
    EXPECT_EQ(scrolled.rows->placed(0), nullptr);
    EXPECT_TRUE(scrolled.made[0]->isHidden()) << "kept, hidden";
}

TEST(LazyRows, RowsGrowWhenAnItemAsksForMoreRoom) {
    Scrolled scrolled;
    QWidget* first = scrolled.rows->placed(0);
    ASSERT_NE(first, nullptr);
    first->setMinimumHeight(90);
    kestle::test::spin(std::chrono::milliseconds(20));
    EXPECT_EQ(scrolled.rows->rowHeight(), 90);
    EXPECT_EQ(first->height(), 90);
    EXPECT_EQ(scrolled.rows->placed(3)->y(), 100) << "the next row moved down";
}

} // namespace

namespace {

TEST(LazyRows, RowsShrinkBackWhenTheTallItemIsGone) {
    Scrolled scrolled;
    QWidget* first = scrolled.rows->placed(0);
    ASSERT_NE(first, nullptr);
    first->setMinimumHeight(90);
    kestle::test::spin(std::chrono::milliseconds(20));
    ASSERT_EQ(scrolled.rows->rowHeight(), 90);
    first->setMinimumHeight(40);
    kestle::test::spin(std::chrono::milliseconds(20));
    EXPECT_EQ(scrolled.rows->rowHeight(), 40);
    EXPECT_EQ(scrolled.rows->placed(3)->y(), 50);
}

} // namespace
