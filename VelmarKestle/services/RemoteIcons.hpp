#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QHash>
#include <QPointer>
#include <QString>
#include <QUrl>

#include "services/IconPicture.hpp"

class QNetworkAccessManager;
class QObject;

namespace kestle::app {

// Remote icons: one network manager, one request per URL however many views wait for
// it, and the decoded pictures kept for the rest of the run. Main thread only.
class RemoteIcons {
public:
    using Done = std::function<void(const IconPicture&)>;

    static RemoteIcons& shared();

    // The picture of an earlier load; nothing while none succeeded.
    const IconPicture* cached(const QString& url) const;
    // done runs once the load ends, unless context is gone by then. A failed load is
    // not kept, so a later view tries again.
    void fetch(const QUrl& url, QObject* context, Done done);

private:
    QNetworkAccessManager* manager();

    QPointer<QNetworkAccessManager> manager_;
    QHash<QString, IconPicture> cache_;
    QHash<QString, std::vector<std::pair<QPointer<QObject>, Done>>> waiting_;
};

} // namespace kestle::app
