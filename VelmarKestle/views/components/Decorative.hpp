#pragma once

class QWidget;

namespace kestle::app {

// Pictures that only repeat what the text beside them says, and lines that another
// element already reads out. Screen readers are told they are not there (the invisible
// state, which the desktop bridge turns into "not showing", so readers skip them) for as
// long as the widget has no accessible name of its own.
class Decorative {
public:
    // Call in the constructor, before anything asks for the widget's accessible object.
    static void mark(QWidget& widget);
    static bool isMarked(const QWidget& widget);
};

} // namespace kestle::app
