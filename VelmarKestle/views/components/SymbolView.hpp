#pragma once

#include <QString>
#include <QWidget>

namespace kestle::app {

// One system symbol as a small picture beside a text, in a colour of the palette. It
// has no accessible name of its own: the text beside it usually says everything.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    enum class Tone { secondary, danger };

    SymbolView(QString name, qreal size, Tone tone, QWidget* parent = nullptr);

    const QString& name() const { return name_; }
    Tone tone() const { return tone_; }
    void setSymbol(QString name, Tone tone);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    qreal size_;
    Tone tone_;
};

} // namespace kestle::app
