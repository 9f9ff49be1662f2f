#include "services/RemoteIcons.hpp"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace kestle::app {

namespace {

constexpr int kTransferTimeout = 30'000;

} // namespace

RemoteIcons& RemoteIcons::shared() {
    static RemoteIcons icons;
    return icons;
}

const IconPicture* RemoteIcons::cached(const QString& url) const {
    auto found = cache_.constFind(url);
    return found == cache_.constEnd() ? nullptr : &*found;
}

void RemoteIcons::fetch(const QUrl& url, QObject* context, Done done) {
    QString key = url.toString();
    auto& waiting = waiting_[key];
    waiting.push_back({QPointer<QObject>(context), std::move(done)});
    if (waiting.size() > 1) {
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeout);
    QNetworkReply* reply = manager()->get(request);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply](qint64 received, qint64) {
                         if (received > IconPicture::maximumBytes) {
                             reply->abort();
                         }
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, key] {
        reply->deleteLater();
        IconPicture picture;
        if (reply->error() == QNetworkReply::NoError) {
            picture = IconPicture::decode(reply->readAll(), reply->url().path());
        }
        if (!picture.isNull()) {
            cache_.insert(key, picture);
        }
        auto waiters = waiting_.take(key);
        for (auto& [waiter, then] : waiters) {
            if (waiter) {
                then(picture);
            }
        }
    });
}

QNetworkAccessManager* RemoteIcons::manager() {
    if (!manager_) {
        manager_ = new QNetworkAccessManager(QCoreApplication::instance());
    }
    return manager_;
}

} // namespace kestle::app
