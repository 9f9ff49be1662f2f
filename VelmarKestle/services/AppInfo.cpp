#include "services/AppInfo.hpp"

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

} // namespace kestle::app
