#include "views/controls/SiteLink.hpp"

#include <QDesktopServices>

namespace kestle::app {

namespace {

constexpr qreal kSymbolSize = 9;

QString absoluteString(const Url& site) {
    return QString::fromStdString(site.str());
}

} // namespace

std::function<void(const QUrl&)> SiteLink::openUrl = [](const QUrl& url) {
    QDesktopServices::openUrl(url);
};

SiteLink::SiteLink(const Url& site, const QString& label, const QFont& font, QWidget* parent)
    : PlainButton(label, font, parent), site_(site) {
    setSymbol(QStringLiteral("arrow.up.right"), kSymbolSize);
    setToolTip(absoluteString(site_));
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (openUrl) {
            openUrl(QUrl(absoluteString(site_)));
        }
    });
}

void SiteLink::setSite(const Url& site) {
    if (!(site_ == site)) {
        site_ = site;
        setToolTip(absoluteString(site_));
    }
}

} // namespace kestle::app
