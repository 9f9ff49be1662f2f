#pragma once

#include <QColor>
#include <QLabel>

namespace kestle::app {

// A label in a colour taken from its parent's palette, so it follows the system's
// appearance: the primary or secondary text colour, or the update colour. With an
// elide mode it keeps to one line and gives up the end (or the middle) of its text
// when it is given less room than the text needs.
class ToneLabel : public QLabel {
    Q_OBJECT

public:
    enum class Tone { primary, secondary, update };

    explicit ToneLabel(Tone tone = Tone::primary, QWidget* parent = nullptr);

    Tone tone() const { return tone_; }
    void setTone(Tone tone);
    // The colour of the tone in the palette the system changes (the parent's).
    QColor toneColor() const;
    static QColor color(Tone tone, const QPalette& palette);

    bool isBold() const { return font().weight() >= QFont::Bold; }
    void setBold(bool bold);

    Qt::TextElideMode elideMode() const { return elideMode_; }
    void setElideMode(Qt::TextElideMode mode);
    // What an eliding label draws at its current width; the text itself otherwise.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyTone();
    bool elides() const { return elideMode_ != Qt::ElideNone && !wordWrap(); }

    Tone tone_;
    Qt::TextElideMode elideMode_ = Qt::ElideNone;
};

} // namespace kestle::app
