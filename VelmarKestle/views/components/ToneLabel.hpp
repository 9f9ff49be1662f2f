#pragma once

#include <QColor>
#include <QLabel>

namespace kestle::app {

// A one-line label in a colour taken from its parent's palette, so it follows the
// system's appearance.
class ToneLabel : public QLabel {
    Q_OBJECT

public:
    enum class Tone { primary, secondary, update };

    explicit ToneLabel(Tone tone = Tone::primary, QWidget* parent = nullptr);

    Tone tone() const { return tone_; }
    void setTone(Tone tone);
    QColor toneColor() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTone();

    Tone tone_;
};

} // namespace kestle::app
