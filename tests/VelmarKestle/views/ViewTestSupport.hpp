#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include "apps/AppEntry.hpp"

namespace kestle::test {

// A light and a dark window palette, as the system would hand them out.
inline QPalette lightPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xEC, 0xEC, 0xEC));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    return palette;
}

inline QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x1E, 0x1E, 0x1E));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    return palette;
}

// The widget's pixels as it draws them now.
inline QImage pixels(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// top drawn over an opaque bottom.
inline QColor over(const QColor& top, const QColor& bottom, double opacity = 1) {
    double a = top.alphaF() * opacity;
    auto mix = [a](double t, double b) { return t * a + b * (1 - a); };
    return QColor::fromRgbF(static_cast<float>(mix(top.redF(), bottom.redF())),
                            static_cast<float>(mix(top.greenF(), bottom.greenF())),
                            static_cast<float>(mix(top.blueF(), bottom.blueF())));
}

// Equal within rounding of 8-bit channels.
inline bool near(const QColor& a, const QColor& b, int tolerance = 2) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance &&
           std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline AppEntry entryOf(AppEntry::Status status) {
    AppEntry entry;
    entry.app.id = "notes";
    entry.app.bundleID = "com.velmar.notes";
    entry.app.name = "Notes";
    entry.app.status = status == AppEntry::Status::coming ? CatalogApp::Status::coming
                                                          : CatalogApp::Status::released;
    if (status == AppEntry::Status::installed || status == AppEntry::Status::updateAvailable) {
        entry.installed = InstalledApp{Url::fromPath("/Applications/Notes.app"), "1.0", "100"};
        FeedItem latest;
        latest.build = status == AppEntry::Status::updateAvailable ? "101" : "100";
        latest.version = "1.0";
        entry.latest = latest;
    }
    return entry;
}

} // namespace kestle::test
