#pragma once

#include <QObject>

class QAbstractButton;

namespace kestle::app {

// Return and Enter press the focused button, as Space already does: Qt's own buttons
// leave those keys to a dialog's default button, which this window does not have.
class ReturnPress : public QObject {
public:
    static void install(QAbstractButton& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace kestle::app
