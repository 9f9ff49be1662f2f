#pragma once

#include <filesystem>

#include <QString>

namespace kestle::app {

struct Configuration;

// The application's name from its bundle (CFBundleDisplayName), else "VelmarKestle".
QString appDisplayName();
QString appDisplayName(const std::filesystem::path& bundle);

// "2.1 (45)": the short version and the build of the running application, "0.0.0" and
// "0" where its bundle does not say.
QString appVersionText();
QString appVersionText(const Configuration& config);

// The about panel's credits: the bundle's Resources/ThirdPartyNotices.txt, after its
// heading, when that file is there and is UTF-8 text.
QString aboutCredits(const std::filesystem::path& bundle);

} // namespace kestle::app
