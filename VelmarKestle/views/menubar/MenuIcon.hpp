#pragma once

#include <optional>

#include <QIcon>

#include "apps/AppEntry.hpp"
#include "support/Url.hpp"

namespace kestle::app {

class KestleModel;

// An app's small picture beside its tray menu lines: the installed bundle's icon, else a
// local catalog icon, else none. A remote catalog icon is never fetched for a menu.
class MenuIcon {
public:
    static constexpr int side = 18;

    enum class Source { bundle, catalogFile, none };

    MenuIcon(const AppEntry& entry, const std::optional<Url>& catalogIcon);
    MenuIcon(const AppEntry& entry, const KestleModel& model);

    Source source() const { return source_; }
    // side x side, with a sharper copy for high-density screens; null for none.
    const QIcon& icon() const { return icon_; }

private:
    Source source_ = Source::none;
    QIcon icon_;
};

} // namespace kestle::app
