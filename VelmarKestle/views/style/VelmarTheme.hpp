#pragma once

#include <QColor>
#include <QPalette>

namespace kestle::app {

// The interface's named colours. Each has a light and a dark value and resolves against
// the palette it is drawn with: dark when the window background is dark, light
// otherwise, so a palette change (the system switching appearance) recolours
// everything on the next paint.
class VelmarTheme {
public:
    enum class Color {
        accent,           // "VelmarAccent": prominent buttons, accents, links
        onAccent,         // "VelmarOnAccent": text and symbols on accent
        canvas,           // "VelmarCanvas": main window backdrop
        surface,          // "VelmarSurface": cards, selected tab, settings form
        controlFill,      // "VelmarControlFill": resting fill of quiet controls
        controlFillHover, // "VelmarControlFillHover": pressed capsule buttons
        strongSeparator,  // "VelmarStrongSeparator": outlines of plain buttons and chips
        update,           // "VelmarUpdate": update-available text
        updateFill,
        updateEdge,
        available, // "VelmarAvailable": not-installed and in-progress chips
        availableFill,
        availableEdge,
        danger, // "VelmarDanger": failures and destructive actions
        dangerFill,
        dangerEdge,
        track,    // "VelmarTrack": empty track of progress bars
        wordmark, // "VelmarWordmark": the tent of the glyph
        gold      // "VelmarGold": the arrow of the glyph; progress bars
    };

    // Whether the palette best matches a dark appearance.
    static bool isDark(const QPalette& palette);
    static QColor color(Color color, const QPalette& palette);
    // The application's current palette.
    static QColor color(Color color);
    static QColor light(Color color);
    static QColor dark(Color color);
    // The registered name, e.g. "VelmarAccent".
    static const char* name(Color color);
};

} // namespace kestle::app
