#pragma once

#include <optional>

#include <QCoreApplication>
#include <QString>

#include "apps/AppEntry.hpp"
#include "support/Url.hpp"

namespace kestle::app {

class KestleModel;

// Small facts of an entry that several views show the same way.
class EntryText {
    Q_DECLARE_TR_FUNCTIONS(kestle::app::EntryText)

public:
    // The catalog icon's URL, resolved against the catalog's address; nothing without
    // one.
    static std::optional<Url> catalogIcon(const KestleModel& model, const AppEntry& entry);
    // A site's host name, or the whole URL when it has none (a file URL).
    static QString host(const Url& site);
    // How many versions an update brings ("3 versions newer"); empty without one.
    static QString versionsNewer(const AppEntry& entry);
};

} // namespace kestle::app
