#include "views/settings/SettingsSection.hpp"

namespace kestle::app {

std::string_view SettingsSections::rawValue(SettingsSection section) {
    return section == SettingsSection::updates ? "updates" : "general";
}

SettingsSection SettingsSections::from(const std::optional<std::string>& raw) {
    return raw == "updates" ? SettingsSection::updates : SettingsSection::general;
}

QString SettingsSections::title(SettingsSection section) {
    //: Settings sections
    return section == SettingsSection::updates ? tr("Updates") : tr("General");
}

QString SettingsSections::symbol(SettingsSection section) {
    return section == SettingsSection::updates ? QStringLiteral("arrow.down.circle")
                                               : QStringLiteral("gearshape");
}

QString SettingsSections::subtitle(SettingsSection section) {
    return section == SettingsSection::updates
               ? tr("When to look for new versions and how to install them.")
               : tr("How VelmarKestle starts and where you find it.");
}

} // namespace kestle::app
