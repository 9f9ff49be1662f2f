#pragma once

#include <QObject>

class QAbstractButton;

namespace kestle::app {

// Lets Return and Enter press a focused button, as Space does by itself, for the
// buttons of windows that have no default button to take those keys.
class PressOnReturn : public QObject {
    Q_OBJECT

public:
    // The filter lives as long as the button.
    static void install(QAbstractButton& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace kestle::app
