#pragma once

#include <cstdint>
#include <optional>

#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "updates/UpdateSession.hpp"
#include "updates/UpdateState.hpp"

class QAbstractButton;

namespace kestle::app {

class KestleButton;
class KestleModel;
class KestleProgressBar;
class SquareButton;
class ToneLabel;

// A queued or running job of one app: a status line over a progress bar, and beside
// them the one control the step allows (cancel, or ask the app to quit again). It
// follows the app's state in the model's queue and acts through that queue.
class UpdateProgressRow : public QWidget {
    Q_OBJECT

public:
    UpdateProgressRow(KestleModel& model, AppEntry entry, bool compact, QWidget* parent = nullptr);
    ~UpdateProgressRow() override;

    // A refreshed entry (name, versions) for the same app.
    void setEntry(AppEntry entry);
    const AppEntry& entry() const { return entry_; }
    bool isCompact() const { return compact_; }
    // The app's state in the queue; nothing once the job has left it.
    std::optional<UpdateState> state() const;

    QString statusText() const;
    KestleProgressBar* progressBar() const { return bar_; }
    // The control shown beside the text, or nothing while installing or verifying.
    QAbstractButton* control() const;

    // The status line for a queued or active job; empty for other states. goingBackTo:
    // the version a go-back job puts back.
    static QString text(const AppEntry& entry, const UpdateState& state, JobKind kind, bool compact,
                        const QString& goingBackTo = {});
    // What the bar shows: the download's share, nothing (stripes) for other steps of a
    // running job, 0 while queued.
    static std::optional<double> barFraction(const UpdateState& state);

private:
    void refresh();

    KestleModel& model_;
    AppEntry entry_;
    bool compact_;
    QWidget* stack_;
    ToneLabel* label_;
    KestleProgressBar* bar_;
    KestleButton* quitAgain_;
    SquareButton* cancel_;
};

} // namespace kestle::app
