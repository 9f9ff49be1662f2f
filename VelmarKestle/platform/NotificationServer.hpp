#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <vector>

#include <QString>

namespace kestle {

// The desktop's notification service as the Notifier sees it: requests go out, the
// user's clicks come back. Every answer arrives later on the main thread, never inside
// the call that asked. Main thread only.
class NotificationServer {
public:
    struct Action {
        QString key; // "default" is a click on the body
        QString label;
    };
    struct Request {
        QString title;
        QString body; // plain text
        // Offered only where the server shows actions.
        std::vector<Action> actions;
        QString imagePath;     // a local image file, or empty
        uint32_t replaces = 0; // the server's id of the notification this one replaces
    };
    struct Handlers {
        std::function<void(uint32_t id, const QString& action)> actionInvoked;
        std::function<void(uint32_t id, const QString& token)> activationToken;
        std::function<void(uint32_t id)> closed;
    };

    virtual ~NotificationServer() = default;

    // Whether a server answers; the error is a sentence for the log.
    virtual void probe(std::function<void(std::expected<void, QString>)> done) = 0;
    // The server's id of the notification shown; 0 when it showed nothing.
    virtual void notify(const Request& request,
                        std::function<void(std::expected<uint32_t, QString>)> done) = 0;
    virtual void setHandlers(Handlers handlers) = 0;
};

} // namespace kestle
