#pragma once

#include <optional>

#include <QColor>
#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "updates/UpdateState.hpp"

namespace kestle::app {

// The status badge of an entry: what its job is doing if it has one, else what the
// entry's status is. With shrinks the chip may narrow in tight rows, its text down to
// 80 %.
class StatusChip : public QWidget {
    Q_OBJECT

public:
    // How the chip is coloured.
    enum class Tone {
        available, // in progress, queued, or not installed
        danger,    // the job failed
        update,    // a newer version is out
        neutral    // installed or coming: secondary text, no fill
    };

    struct Colors {
        QColor text;
        QColor fill;
        QColor outline;
    };

    StatusChip(AppEntry entry, std::optional<UpdateState> update = std::nullopt,
               bool installing = false, bool shrinks = false, QWidget* parent = nullptr);

    // installing: the job behind update is a first install rather than an update.
    void setState(AppEntry entry, std::optional<UpdateState> update, bool installing);
    void setShrinks(bool shrinks);

    const AppEntry& entry() const { return entry_; }
    const std::optional<UpdateState>& update() const { return update_; }
    bool installing() const { return installing_; }
    bool shrinks() const { return shrinks_; }

    // The translated text, before it is upper-cased for drawing.
    static QString text(const AppEntry& entry, const std::optional<UpdateState>& update,
                        bool installing);
    static Tone tone(const AppEntry& entry, const std::optional<UpdateState>& update);
    // Only a coming app without a job of its own has a dashed outline.
    static bool isDashed(const AppEntry& entry, const std::optional<UpdateState>& update);
    static Colors colors(Tone tone, const QPalette& palette);

    QString text() const { return text(entry_, update_, installing_); }
    // What is drawn: the text upper-cased for the user's locale.
    QString shownText() const;
    Colors colors() const { return colors(tone(entry_, update_), palette()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void changed();

    AppEntry entry_;
    std::optional<UpdateState> update_;
    bool installing_ = false;
    bool shrinks_ = false;
};

} // namespace kestle::app
