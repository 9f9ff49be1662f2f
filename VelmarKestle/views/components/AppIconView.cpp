#include "views/components/AppIconView.hpp"

#include <filesystem>

#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <QtMath>

#include "services/IconPicture.hpp"
#include "services/RemoteIcons.hpp"
#include "views/components/Decorative.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kCatalogInset = 25.0 / 256.0;
constexpr qreal kPlaceholderInset = 0.1;
constexpr qreal kPlaceholderRadius = 0.22;

} // namespace

AppIconView::AppIconView(AppEntry entry, std::optional<Url> catalogIcon, qreal size,
                         QWidget* parent)
    : QWidget(parent), entry_(std::move(entry)), catalogIcon_(std::move(catalogIcon)), size_(size) {
    setFixedSize(sizeHint());
    // The app's name beside it, or the button it sits in, speaks for it.
    Decorative::mark(*this);
    resolve();
}

AppIconView::~AppIconView() = default;

void AppIconView::setIcon(AppEntry entry, std::optional<Url> catalogIcon) {
    // Rows and cards refresh often; the picture changes only with what it comes from.
    if (entry.installed == entry_.installed && entry.app.icon == entry_.app.icon &&
        catalogIcon == catalogIcon_) {
        entry_ = std::move(entry);
        return;
    }
    entry_ = std::move(entry);
    catalogIcon_ = std::move(catalogIcon);
    resolve();
}

void AppIconView::setIconSize(qreal size) {
    if (size_ != size) {
        size_ = size;
        setFixedSize(sizeHint());
        update();
    }
}

QSize AppIconView::sizeHint() const {
    return {qCeil(size_), qCeil(size_)};
}

void AppIconView::display(Source source, QImage image, const QByteArray& svg, QIcon icon) {
    source_ = source;
    image_ = std::move(image);
    svg_ = svg.isEmpty() ? nullptr : std::make_unique<QSvgRenderer>(svg);
    icon_ = std::move(icon);
    update();
}

void AppIconView::resolve() {
    ++serial_;
    if (entry_.installed && entry_.installed->url.isFile()) {
        std::filesystem::path bundle = entry_.installed->url.path();
        QFileInfo info(QString::fromStdString(bundle.string()));
        if (info.exists()) {
            if (IconPicture picture = IconPicture::ofBundle(bundle); !picture.isNull()) {
                display(Source::bundle, picture.image, picture.svg, {});
                return;
            }
            // The desktop's own icon for the folder, when it has one.
            if (QIcon icon = QFileIconProvider().icon(info); !icon.isNull()) {
                display(Source::bundle, {}, {}, icon);
                return;
            }
        }
    }
    if (!catalogIcon_ || catalogIcon_->isFile()) {
        IconPicture picture;
        if (catalogIcon_) {
            picture = IconPicture::load(QString::fromStdString(catalogIcon_->path()));
        }
        if (picture.isNull()) {
            display(Source::placeholder, {}, {}, {});
        } else {
            display(Source::catalogFile, picture.image, picture.svg, {});
        }
        return;
    }
    QUrl url(QString::fromStdString(catalogIcon_->str()));
    auto& remote = RemoteIcons::shared();
    if (const IconPicture* picture = remote.cached(url.toString())) {
        display(Source::remote, picture->image, picture->svg, {});
        return;
    }
    display(Source::remotePlaceholder, {}, {}, {});
    remote.fetch(url, this, [this, serial = serial_](const IconPicture& picture) {
        if (serial == serial_ && !picture.isNull()) {
            display(Source::remote, picture.image, picture.svg, {});
        }
    });
}

void AppIconView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QRectF frame(0, 0, size_, size_);
    if (source_ != Source::bundle) {
        frame.adjust(size_ * kCatalogInset, size_ * kCatalogInset, -size_ * kCatalogInset,
                     -size_ * kCatalogInset);
    }
    if (source_ == Source::placeholder || source_ == Source::remotePlaceholder) {
        QRectF rect(0, 0, size_, size_);
        // A local placeholder sits in the whole frame; a remote one also inside the
        // catalog inset.
        if (source_ == Source::remotePlaceholder) {
            rect = frame;
        }
        qreal inset = size_ * kPlaceholderInset;
        painter.fillPath(KestleStyle::roundedRect(rect.adjusted(inset, inset, -inset, -inset),
                                                  size_ * kPlaceholderRadius),
                         VelmarTheme::color(VelmarTheme::Color::controlFill, palette()));
        return;
    }
    if (svg_) {
        svg_->render(&painter, frame);
    } else if (!image_.isNull()) {
        painter.drawImage(frame, image_);
    } else if (!icon_.isNull()) {
        icon_.paint(&painter, frame.toAlignedRect());
    }
}

} // namespace kestle::app
