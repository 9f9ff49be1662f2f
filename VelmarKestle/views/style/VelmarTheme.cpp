#include "views/style/VelmarTheme.hpp"

#include <array>

#include <QGuiApplication>

namespace kestle::app {

namespace {

struct Entry {
    const char* name;
    QRgb light;
    double lightAlpha;
    QRgb dark;
    double darkAlpha;
};

// In the order of VelmarTheme::Color.
constexpr std::array<Entry, 19> kColors = {{
    {"VelmarAccent", 0x1B3149, 1, 0xE2B77F, 1},
    {"VelmarOnAccent", 0xF5F1EB, 1, 0x1B3149, 1},
    {"VelmarCanvas", 0xE2DDD5, 1, 0x19212B, 1},
    {"VelmarSurface", 0xF5F1EB, 1, 0x252B33, 1},
    {"VelmarControlFill", 0x22201D, 0.07, 0xFFFFFF, 0.09},
    {"VelmarControlFillHover", 0x22201D, 0.13, 0xFFFFFF, 0.16},
    {"VelmarStrongSeparator", 0x22201D, 0.22, 0xFFFFFF, 0.20},
    {"VelmarUpdate", 0x83571F, 1, 0xE2B77F, 1},
    {"VelmarUpdateFill", 0xE2B77F, 0.16, 0xE2B77F, 0.10},
    {"VelmarUpdateEdge", 0xC8873A, 0.50, 0xE2B77F, 0.42},
    {"VelmarAvailable", 0x1B3149, 1, 0xC9D6E4, 1},
    {"VelmarAvailableFill", 0x1B3149, 0.06, 0xC9D6E4, 0.07},
    {"VelmarAvailableEdge", 0x1B3149, 0.32, 0xC9D6E4, 0.32},
    {"VelmarDanger", 0xA63A20, 1, 0xF08A72, 1},
    {"VelmarDangerFill", 0xA63A20, 0.07, 0xF08A72, 0.08},
    {"VelmarDangerEdge", 0xA63A20, 0.40, 0xF08A72, 0.40},
    {"VelmarTrack", 0x1B3149, 0.14, 0xFFFFFF, 0.12},
    {"VelmarWordmark", 0x1B3149, 1, 0xF5F1EB, 1},
    {"VelmarGold", 0xC8873A, 1, 0xE2B77F, 1},
}};

QColor make(QRgb rgb, double alpha) {
    QColor color(rgb);
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

const Entry& entry(VelmarTheme::Color color) {
    return kColors[static_cast<size_t>(color)];
}

} // namespace

bool VelmarTheme::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor VelmarTheme::light(Color color) {
    return make(entry(color).light, entry(color).lightAlpha);
}

QColor VelmarTheme::dark(Color color) {
    return make(entry(color).dark, entry(color).darkAlpha);
}

QColor VelmarTheme::color(Color color, const QPalette& palette) {
    return isDark(palette) ? dark(color) : light(color);
}

QColor VelmarTheme::color(Color color) {
    return VelmarTheme::color(color, QGuiApplication::palette());
}

const char* VelmarTheme::name(Color color) {
    return entry(color).name;
}

} // namespace kestle::app
