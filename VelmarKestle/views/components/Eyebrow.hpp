#pragma once

#include <QString>
#include <QWidget>

namespace kestle::app {

// A small upper-case caption over a group of content, in the secondary text colour.
// The text comes already translated.
class Eyebrow : public QWidget {
    Q_OBJECT

public:
    explicit Eyebrow(const QString& text = {}, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    // What is drawn: the text upper-cased for the user's locale.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

} // namespace kestle::app
