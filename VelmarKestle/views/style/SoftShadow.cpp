#include "views/style/SoftShadow.hpp"

#include <vector>

#include <QColor>
#include <QPainter>

namespace kestle::app {

QImage SoftShadow::image(const QPainterPath& shape, QSize size, int spread, double opacity) {
    QImage image(size + QSize(2 * spread, 2 * spread), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor black(Qt::black);
    black.setAlphaF(static_cast<float>(opacity));
    painter.fillPath(shape.translated(spread, spread), black);
    painter.end();
    blurAlpha(image, spread);
    return image;
}

void SoftShadow::blurAlpha(QImage& image, int spread) {
    const int radius = spread / 3;
    const int width = image.width();
    const int height = image.height();
    std::vector<int> alpha(static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            alpha[static_cast<size_t>(y * width + x)] = qAlpha(line[x]);
        }
    }
    std::vector<int> out(alpha.size());
    auto pass = [&](int count, int lines, auto index) {
        for (int line = 0; line < lines; ++line) {
            int sum = 0;
            for (int i = -radius; i <= radius; ++i) {
                sum += (i >= 0 && i < count) ? alpha[index(line, i)] : 0;
            }
            for (int i = 0; i < count; ++i) {
                out[index(line, i)] = sum / (2 * radius + 1);
                int leaving = i - radius;
                int entering = i + radius + 1;
                sum -= leaving >= 0 ? alpha[index(line, leaving)] : 0;
                sum += entering < count ? alpha[index(line, entering)] : 0;
            }
        }
        alpha.swap(out);
    };
    auto row = [width](int y, int x) { return static_cast<size_t>(y * width + x); };
    auto column = [width](int x, int y) { return static_cast<size_t>(y * width + x); };
    for (int i = 0; i < 3; ++i) {
        pass(width, height, row);
        pass(height, width, column);
    }
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgba(0, 0, 0, alpha[static_cast<size_t>(y * width + x)]);
        }
    }
}

} // namespace kestle::app
