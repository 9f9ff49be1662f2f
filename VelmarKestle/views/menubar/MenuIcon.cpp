#include "views/menubar/MenuIcon.hpp"

#include <filesystem>

#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "services/IconPicture.hpp"
#include "views/entry/EntryText.hpp"

namespace kestle::app {

namespace {

QIcon scaled(const IconPicture& picture) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(MenuIcon::side * scale, MenuIcon::side * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF frame(0, 0, pixmap.width(), pixmap.height());
        if (!picture.svg.isEmpty()) {
            QSvgRenderer(picture.svg).render(&painter, frame);
        } else {
            painter.drawImage(frame, picture.image);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The desktop's icon for the folder, at the menu's size.
QIcon scaled(const QIcon& source) {
    QIcon icon;
    for (int scale : {1, 2}) {
        icon.addPixmap(source.pixmap(MenuIcon::side * scale)
                           .scaled(MenuIcon::side * scale, MenuIcon::side * scale,
                                   Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return icon;
}

} // namespace

MenuIcon::MenuIcon(const AppEntry& entry, const KestleModel& model)
    : MenuIcon(entry, EntryText::catalogIcon(model, entry)) {}

MenuIcon::MenuIcon(const AppEntry& entry, const std::optional<Url>& catalogIcon) {
    if (entry.installed && entry.installed->url.isFile()) {
        const std::filesystem::path bundle = entry.installed->url.path();
        const QFileInfo info(QString::fromStdString(bundle.string()));
        if (info.exists()) {
            if (IconPicture picture = IconPicture::ofBundle(bundle); !picture.isNull()) {
                source_ = Source::bundle;
                icon_ = scaled(picture);
                return;
            }
            if (QIcon desktop = QFileIconProvider().icon(info); !desktop.isNull()) {
                source_ = Source::bundle;
                icon_ = scaled(desktop);
                return;
            }
        }
    }
    if (catalogIcon && catalogIcon->isFile()) {
        if (IconPicture picture = IconPicture::load(QString::fromStdString(catalogIcon->path()));
            !picture.isNull()) {
            source_ = Source::catalogFile;
            icon_ = scaled(picture);
        }
    }
}

} // namespace kestle::app
