#pragma once

#include <QWidget>

class QLabel;

namespace kestle::app {

class KestleButton;
class KestleModel;
class SearchField;
class ToneLabel;

// Over the list of apps: the filter tabs, the search field and the update-all control,
// then the title row with the number of apps shown.
class ListHeader : public QWidget {
    Q_OBJECT

public:
    explicit ListHeader(KestleModel& model, QWidget* parent = nullptr);

    SearchField* searchField() const { return search_; }
    // Hidden when there is nothing to update and no job runs.
    KestleButton* updateAllButton() const { return updateAll_; }
    QString countText() const;

private:
    void refreshUpdateAll();
    void refreshCount();

    KestleModel& model_;
    SearchField* search_;
    KestleButton* updateAll_;
    ToneLabel* count_;
};

} // namespace kestle::app
