#include "services/IconPicture.hpp"

#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QSvgRenderer>

#include "Bundle.hpp"

namespace kestle::app {

namespace {

bool looksLikeSvg(const QByteArray& bytes, const QString& name) {
    if (name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        return true;
    }
    QByteArray head = bytes.left(256).trimmed();
    return head.startsWith("<?xml") || head.startsWith("<svg");
}

} // namespace

IconPicture IconPicture::decode(const QByteArray& bytes, const QString& name) {
    if (looksLikeSvg(bytes, name)) {
        QSvgRenderer renderer(bytes);
        if (renderer.isValid()) {
            return {{}, bytes};
        }
        return {};
    }
    return {QImage::fromData(bytes), {}};
}

IconPicture IconPicture::load(const QString& path) {
    QFile file(path);
    if (file.size() > maximumBytes || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return decode(file.readAll(), path);
}

IconPicture IconPicture::ofBundle(const std::filesystem::path& bundle) {
    auto opened = framework::Bundle::open(bundle);
    if (!opened) {
        return {};
    }
    auto name = opened->string("CFBundleIconFile");
    if (!name || name->empty() || name->find('/') != std::string::npos) {
        return {};
    }
    QString base = QString::fromStdString((bundle / "Contents/Resources" / *name).string());
    std::vector<QString> candidates{base};
    if (QFileInfo(base).suffix().isEmpty()) {
        for (const char* extension : {".svg", ".png", ".icns"}) {
            candidates.push_back(base + QLatin1String(extension));
        }
    }
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            if (IconPicture picture = load(candidate); !picture.isNull()) {
                return picture;
            }
        }
    }
    return {};
}

} // namespace kestle::app
