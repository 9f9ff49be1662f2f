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

} // namespace kestle::app
