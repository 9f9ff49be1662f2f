#include "services/AppLanguage.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>

#include "Logging.hpp"
#include "services/AppFlags.hpp"

namespace kestle::app {

namespace {

QString languageCode(const QString& tag) {
    return tag.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
}

} // namespace

std::string_view AppLanguages::rawValue(AppLanguage language) {
    switch (language) {
    case AppLanguage::english:
        return "en";
    case AppLanguage::italian:
        return "it";
    case AppLanguage::system:
        break;
    }
    return "system";
}

const std::vector<AppLanguage>& AppLanguages::all() {
    static const std::vector<AppLanguage> languages{AppLanguage::system, AppLanguage::english,
                                                    AppLanguage::italian};
    return languages;
}

AppLanguage AppLanguages::current(const PreferenceStore* defaults) {
    auto list = defaults != nullptr ? defaults->strings(key) : std::nullopt;
    if (!list || list->empty()) {
        return AppLanguage::system;
    }
    const QString code = languageCode(QString::fromStdString(list->front()));
    if (code == QStringLiteral("en")) {
        return AppLanguage::english;
    }
    if (code == QStringLiteral("it")) {
        return AppLanguage::italian;
    }
    return AppLanguage::system;
}

void AppLanguages::choose(PreferenceStore& defaults, AppLanguage language) {
    if (language == AppLanguage::system) {
        defaults.remove(key);
    } else {
        defaults.set(key, std::vector<std::string>{std::string(rawValue(language))});
    }
    qCInfo(lcApp, "Language chosen: %s", std::string(rawValue(language)).c_str());
}

QStringList AppLanguages::systemLanguages() {
    return QLocale::system().uiLanguages();
}

std::optional<QString> AppLanguages::resolved(const QStringList& available, AppLanguage choice,
                                              const QStringList& preferred) {
    const QStringList wanted = choice == AppLanguage::system
                                   ? preferred
                                   : QStringList{QString::fromUtf8(rawValue(choice))};
    for (const QString& tag : wanted) {
        const QString normalized = QString(tag).replace(u'_', u'-');
        for (const QString& language : available) {
            if (language.compare(normalized, Qt::CaseInsensitive) == 0) {
                return language;
            }
        }
        for (const QString& language : available) {
            if (languageCode(language) == languageCode(normalized)) {
                return language;
            }
        }
    }
    return std::nullopt;
}

QStringList AppLanguages::available(const QString& translationsFolder) {
    QStringList languages;
    const QString prefix = QStringLiteral("VelmarKestle_");
    for (const QString& file :
         QDir(translationsFolder).entryList({prefix + QStringLiteral("*.qm")}, QDir::Files)) {
        languages << file.mid(prefix.size()).chopped(3);
    }
    return languages;
}

void AppLanguages::relaunch() {
    qCInfo(lcApp, "Relaunch asked");
    AppFlags::relaunchRequested = true;
    QCoreApplication::quit();
}

} // namespace kestle::app
