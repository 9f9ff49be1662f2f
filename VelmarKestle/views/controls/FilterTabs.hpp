#pragma once

#include <array>

#include <QString>
#include <QWidget>

#include "apps/AppFilter.hpp"

class QAbstractButton;

namespace kestle::app {

class KestleModel;

// One tab per app filter, in filter order, each with its count of entries; clicking a
// tab sets the model's filter. Follows the model's entries and filter.
class FilterTabs : public QWidget {
    Q_OBJECT

public:
    // What one tab shows.
    struct Tab {
        QString title;
        QString count; // in the user's locale
        bool selected = false;
        bool highlighted = false; // the count is bold in the update colour
    };

    explicit FilterTabs(KestleModel& model, QWidget* parent = nullptr);

    Tab tab(AppFilter filter) const;
    // The tab's button, which takes the clicks and the keyboard focus.
    QAbstractButton* button(AppFilter filter) const;
    // The translated title of a filter's tab.
    static QString title(AppFilter filter);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    KestleModel& model_;
    std::array<QAbstractButton*, allAppFilters.size()> buttons_{};
};

} // namespace kestle::app
