#pragma once

#include <string>

namespace kestle {

// Why a fresh catalog or feed could not be used.
struct CheckFailure {
    enum class Kind {
        server,  // the server answered with a status other than 200
        offline, // the request failed at the network level
        invalid  // anything else: bad bytes, or a local file that could not be read
    };
    Kind kind = Kind::invalid;
    int status = 0; // the HTTP status, for server

    static CheckFailure server(int status) { return {Kind::server, status}; }
    static CheckFailure offline() { return {Kind::offline, 0}; }
    static CheckFailure invalid() { return {Kind::invalid, 0}; }

    friend bool operator==(const CheckFailure&, const CheckFailure&) = default;
};

// "server(404)", "offline", "invalid": for logs and test messages.
std::string describe(const CheckFailure& failure);

} // namespace kestle
