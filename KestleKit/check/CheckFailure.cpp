#include "check/CheckFailure.hpp"

namespace kestle {

std::string describe(const CheckFailure& failure) {
    switch (failure.kind) {
    case CheckFailure::Kind::server:
        return "server(" + std::to_string(failure.status) + ")";
    case CheckFailure::Kind::offline:
        return "offline";
    case CheckFailure::Kind::invalid:
        return "invalid";
    }
    return "invalid";
}

} // namespace kestle
