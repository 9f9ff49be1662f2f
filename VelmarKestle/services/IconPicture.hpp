#pragma once

#include <filesystem>

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kestle::app {

// A decoded app icon: a raster image or the bytes of a valid SVG document.
struct IconPicture {
    // More than any icon needs; a bigger file or answer is dropped rather than kept.
    static constexpr qint64 maximumBytes = 8 * 1024 * 1024;

    QImage image;
    QByteArray svg;

    bool isNull() const { return image.isNull() && svg.isEmpty(); }

    // SVG when the name or the first bytes say so, else any image format Qt reads;
    // nothing when the bytes do not decode.
    static IconPicture decode(const QByteArray& bytes, const QString& name);
    // A local file, at most maximumBytes long.
    static IconPicture load(const QString& path);
    // The icon a bundle names (CFBundleIconFile, in Contents/Resources, with or
    // without its extension).
    static IconPicture ofBundle(const std::filesystem::path& bundle);
};

} // namespace kestle::app
