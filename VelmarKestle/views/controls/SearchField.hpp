#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QAbstractButton;

namespace kestle::app {

// The search box over the list of apps: a magnifying glass, a borderless text field,
// and a clear button while there is text. Its text and its keyboard focus are bound by
// the owner through the setter/signal pairs (the main window binds the text to the
// model's query and focuses the field for the Find command).
class SearchField : public QWidget {
    Q_OBJECT

public:
    explicit SearchField(QWidget* parent = nullptr);

    QString text() const;
    // Sends textChanged only when the text differs.
    void setText(const QString& text);

    bool isFocused() const;
    // True moves keyboard focus into the field; false takes it away.
    void setFocused(bool focused);

    QSize sizeHint() const override;

signals:
    void textChanged(const QString& text);
    void focusedChanged(bool focused);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QLineEdit* edit_;
    QAbstractButton* clear_;
};

} // namespace kestle::app
