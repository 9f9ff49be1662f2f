#include "UpdaterError.hpp"

namespace kestle::framework {

std::string errorText(const PlatformError& error) {
    std::string text = error.domain + " " + std::to_string(error.code) + ": " + error.description;
    if (error.underlying) {
        text +=
            " (" + error.underlying->domain + " " + std::to_string(error.underlying->code) + ")";
    }
    return text;
}

} // namespace kestle::framework
