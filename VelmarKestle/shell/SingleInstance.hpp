#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace kestle::app {

// One running copy per user. The first launch holds a lock file and listens on a local
// socket beside it; a later launch hands its arguments and activation token to the first
// one and leaves. Main thread only.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    struct Message {
        QStringList arguments;
        QByteArray activationToken; // XDG_ACTIVATION_TOKEN or DESKTOP_STARTUP_ID
        friend bool operator==(const Message&, const Message&) = default;
    };
    enum class Role { first, second, none };

    // Larger messages are refused: nobody launches with that many arguments.
    static constexpr qsizetype maximumPayload = 64 * 1024;

    // folder: XDG_RUNTIME_DIR (else a private temporary folder); name: the bundle id.
    SingleInstance(QString folder, QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The token the desktop passed to this launch. Read before QApplication exists:
    // Qt unsets DESKTOP_STARTUP_ID when it starts.
    static QByteArray launchToken();
    // Where the lock and the socket live when the caller has no folder to suggest.
    static QString defaultFolder();

    // first: this process holds the lock and listens; second: another one answers on
    // the socket; none: neither within the time (the folder is unusable).
    Role elect(std::chrono::milliseconds patience = std::chrono::seconds(5));
    // From a second launch: hands the message over and waits for the first one's answer.
    bool send(const Message& message,
              std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // Stops listening and unlocks, so that a relaunched copy can be the first one.
    void release();

    QString socketPath() const;
    QString lockPath() const;

    // The wire form: "VKSI", a version byte, a 32-bit big-endian length, the payload.
    static QByteArray encode(const Message& message);
    // Nothing until a whole message is there; an error text for one that cannot be read.
    struct Decoded {
        std::optional<Message> message;
        qsizetype used = 0; // bytes taken from the front of the buffer
        QString error;
    };
    static Decoded decode(const QByteArray& buffer);

signals:
    void messageReceived(const kestle::app::SingleInstance::Message& message);

private:
    void accept();

    QString folder_;
    QString name_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace kestle::app
