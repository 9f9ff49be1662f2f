#pragma once

#include <optional>

#include <QString>
#include <QWidget>

#include "check/CheckResult.hpp"
#include "model/Setup.hpp"
#include "services/AppActions.hpp"

class QLabel;
class QAbstractButton;

namespace kestle::app {

class BusyIndicator;
class CheckTimeRefresh;
class KestleModel;
class SymbolView;
class ToneLabel;

// The line along the bottom of the main window: whether a check runs, what went wrong
// in the last one (with "Try Again"), or when the apps were last checked and from
// where; then "Report a Problem…" and what the apps install for.
class StatusFooter : public QWidget {
    Q_OBJECT

public:
    StatusFooter(KestleModel& model, AppActions actions, QWidget* parent = nullptr);

    // What the left side shows now.
    enum class Status { checking, problem, checked, none };
    Status status() const { return status_; }
    // The text beside the indicator or symbol (empty for none).
    QString statusText() const;
    QAbstractButton* tryAgainButton() const { return tryAgain_; }
    QAbstractButton* reportButton() const { return report_; }
    CheckTimeRefresh* checkTimeRefresh() const { return ageing_; }

    // The last check's trouble, if any: the catalog's first, else the feeds'.
    static std::optional<QString> problemText(const KestleModel& model);
    // "Checked just now", "… today at 3:07 PM", "… yesterday at …", "Checked on Dec 7, 2026".
    static QString checkTimeText(Clock::time_point lastCheck, Clock::time_point now);
    // "sample catalog", or "catalog from" and the catalog's web domain.
    static QString sourceText(const Setup& setup);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    KestleModel& model_;
    AppActions actions_;
    Status status_ = Status::none;
    BusyIndicator* busy_;
    SymbolView* symbol_;
    ToneLabel* text_;
    QAbstractButton* tryAgain_;
    QAbstractButton* report_;
    ToneLabel* platform_;
    CheckTimeRefresh* ageing_;
};

} // namespace kestle::app
