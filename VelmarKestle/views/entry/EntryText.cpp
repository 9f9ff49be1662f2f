#include "views/entry/EntryText.hpp"

#include "model/KestleModel.hpp"

namespace kestle::app {

std::optional<Url> EntryText::catalogIcon(const KestleModel& model, const AppEntry& entry) {
    if (!model.setup().catalogURL) {
        return std::nullopt;
    }
    return entry.app.iconURL(*model.setup().catalogURL);
}

QString EntryText::host(const Url& site) {
    const std::string host = site.host();
    return QString::fromStdString(host.empty() ? site.str() : host);
}

QString EntryText::versionsNewer(const AppEntry& entry) {
    const size_t count = entry.newerReleases().size();
    if (count == 0) {
        return {};
    }
    //: How many releases an update brings, after the installed and new version
    return tr("%n versions newer", nullptr, static_cast<int>(count));
}

} // namespace kestle::app
