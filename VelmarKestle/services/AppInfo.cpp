#include "services/AppInfo.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>

#include "Bundle.hpp"
#include "model/Configuration.hpp"
#include "model/LiveSetup.hpp"

namespace kestle::app {

QString appDisplayName() {
    return appDisplayName(LiveSetup::current().bundle);
}

QString appDisplayName(const std::filesystem::path& bundle) {
    if (auto opened = framework::Bundle::open(bundle)) {
        if (auto name = opened->string("CFBundleDisplayName")) {
            return QString::fromStdString(*name);
        }
    }
    return QStringLiteral("VelmarKestle");
}

QString appVersionText() {
    return appVersionText(LiveSetup::current());
}

QString appVersionText(const Configuration& config) {
    return QStringLiteral("%1 (%2)").arg(QString::fromStdString(config.shortVersion),
                                         QString::fromStdString(config.build));
}

QString aboutCredits(const std::filesystem::path& bundle) {
    QString credits;
    QFile notices(
        QString::fromStdString((bundle / "Contents/Resources/ThirdPartyNotices.txt").string()));
    // Licence texts run to a few hundred kilobytes; more is not our file.
    if (!notices.open(QIODevice::ReadOnly) || notices.size() > 16 * 1024 * 1024) {
        return credits;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(notices.readAll());
    if (utf8.hasError()) {
        return credits;
    }
    return credits + QStringLiteral("\n\n") +
           QCoreApplication::translate(
               "AppInfo", "VelmarKestle includes the following open source software.") +
           QStringLiteral("\n\n") + text;
}

} // namespace kestle::app
