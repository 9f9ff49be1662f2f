#pragma once

class QWidget;

namespace kestle::app {

// Whether the user asked for reduced motion. Linux desktops have no single switch for
// it: the style's animation duration is what GNOME's and KDE's "reduce animations"
// reach through the platform theme, so a duration of 0 counts as asking; and
// KESTLE_REDUCE_MOTION=1 forces it where the desktop offers nothing. Read anew on each
// call, so a changed style applies to the next animation.
class MotionPreference {
public:
    static bool isReduced(const QWidget* widget = nullptr);
};

} // namespace kestle::app
