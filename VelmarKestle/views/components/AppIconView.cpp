#include "views/components/AppIconView.hpp"

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPointer>
#include <QSvgRenderer>
#include <QtMath>

#include "Bundle.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kCatalogInset = 25.0 / 256.0;
constexpr qreal kPlaceholderInset = 0.1;
constexpr qreal kPlaceholderRadius = 0.22;
// More than any icon needs; a bigger answer is dropped rather than kept in memory.
constexpr qint64 kMaxIconBytes = 8 * 1024 * 1024;

// A decoded icon: a raster image or the bytes of an SVG document.
struct Picture {
    QImage image;
    QByteArray svg;
    bool isNull() const { return image.isNull() && svg.isEmpty(); }
};

bool looksLikeSvg(const QByteArray& bytes, const QString& name) {
    if (name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        return true;
    }
    QByteArray head = bytes.left(256).trimmed();
    return head.startsWith("<?xml") || head.startsWith("<svg");
}

Picture decode(const QByteArray& bytes, const QString& name) {
    if (looksLikeSvg(bytes, name)) {
        QSvgRenderer renderer(bytes);
        if (renderer.isValid()) {
            return {{}, bytes};
        }
        return {};
    }
    return {QImage::fromData(bytes), {}};
}

Picture load(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxIconBytes || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return decode(file.readAll(), path);
}

// The icon a bundle names (CFBundleIconFile, in Contents/Resources, with or without
// its extension).
Picture bundleIcon(const std::filesystem::path& bundle) {
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
            if (Picture picture = load(candidate); !picture.isNull()) {
                return picture;
            }
        }
    }
    return {};
}

// Remote icons: one network manager, one request per URL however many views wait for
// it, and the decoded pictures kept for the rest of the run. Main thread only.
class RemoteIcons {
public:
    using Done = std::function<void(const Picture&)>;

    static RemoteIcons& shared() {
        static RemoteIcons icons;
        return icons;
    }

    const Picture* cached(const QString& url) const {
        auto found = cache_.constFind(url);
        return found == cache_.constEnd() ? nullptr : &*found;
    }

    // done runs once the load ends, unless context is gone by then.
    void fetch(const QUrl& url, QObject* context, Done done) {
        QString key = url.toString();
        auto& waiting = waiting_[key];
        waiting.push_back({QPointer<QObject>(context), std::move(done)});
        if (waiting.size() > 1) {
            return;
        }
        QNetworkRequest request(url);
        request.setTransferTimeout(30'000);
        QNetworkReply* reply = manager()->get(request);
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                         [reply](qint64 received, qint64) {
                             if (received > kMaxIconBytes) {
                                 reply->abort();
                             }
                         });
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, key] {
            reply->deleteLater();
            Picture picture;
            if (reply->error() == QNetworkReply::NoError) {
                picture = decode(reply->readAll(), reply->url().path());
            }
            // A failed load is not kept, so a later view tries again.
            if (!picture.isNull()) {
                cache_.insert(key, picture);
            }
            auto waiters = waiting_.take(key);
            for (auto& [context, done] : waiters) {
                if (context) {
                    done(picture);
                }
            }
        });
    }

private:
    QNetworkAccessManager* manager() {
        if (!manager_) {
            manager_ = new QNetworkAccessManager(QCoreApplication::instance());
        }
        return manager_;
    }

    QPointer<QNetworkAccessManager> manager_;
    QHash<QString, Picture> cache_;
    QHash<QString, std::vector<std::pair<QPointer<QObject>, Done>>> waiting_;
};

} // namespace

AppIconView::AppIconView(AppEntry entry, std::optional<Url> catalogIcon, qreal size,
                         QWidget* parent)
    : QWidget(parent), entry_(std::move(entry)), catalogIcon_(std::move(catalogIcon)), size_(size) {
    setFixedSize(sizeHint());
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
            if (Picture picture = bundleIcon(bundle); !picture.isNull()) {
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
        Picture picture;
        if (catalogIcon_) {
            picture = load(QString::fromStdString(catalogIcon_->path()));
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
    if (const Picture* picture = remote.cached(url.toString())) {
        display(Source::remote, picture->image, picture->svg, {});
        return;
    }
    display(Source::remotePlaceholder, {}, {}, {});
    remote.fetch(url, this, [this, serial = serial_](const Picture& picture) {
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
