#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QAbstractButton;

namespace kestle::app {

class KestleModel;
class ToneLabel;

// What the list shows when the filter and the search leave no app: why, and a button
// that shows every app again.
class EmptyList : public QWidget {
    Q_OBJECT

public:
    explicit EmptyList(KestleModel& model, QWidget* parent = nullptr);

    struct Texts {
        QString title;
        QString subtitle;
    };
    static Texts texts(const KestleModel& model);

    QString title() const;
    QString subtitle() const;
    QAbstractButton* showAllButton() const { return showAll_; }

private:
    void refresh();

    KestleModel& model_;
    QLabel* title_;
    ToneLabel* subtitle_;
    QAbstractButton* showAll_;
};

} // namespace kestle::app
