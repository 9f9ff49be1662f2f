#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QCoreApplication>
#include <QString>

namespace kestle::app {

// The settings window's sections, in sidebar order.
enum class SettingsSection { general, updates };

struct SettingsSections {
    Q_DECLARE_TR_FUNCTIONS(kestle::app::SettingsSections)

public:
    static constexpr SettingsSection all[] = {SettingsSection::general, SettingsSection::updates};

    // "general", "updates".
    static std::string_view rawValue(SettingsSection section);
    // Anything but "updates", or nothing, is the General section.
    static SettingsSection from(const std::optional<std::string>& raw);

    static QString title(SettingsSection section);
    static QString symbol(SettingsSection section);
    static QString subtitle(SettingsSection section);
};

} // namespace kestle::app
