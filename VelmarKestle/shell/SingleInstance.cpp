#include "shell/SingleInstance.hpp"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <unistd.h>

#include "Logging.hpp"

namespace kestle::app {

namespace {

constexpr char magic[] = "VKSI";
constexpr qsizetype magicSize = 4;
constexpr char version = 1;
constexpr qsizetype headerSize = magicSize + 1 + 4;
constexpr char answerOk = 0;
// A peer that connects and says nothing is dropped after this long.
constexpr int connectionTimeoutMs = 5000;

void appendLength(QByteArray& out, qsizetype length) {
    char bytes[4];
    qToBigEndian(static_cast<quint32>(length), bytes);
    out.append(bytes, 4);
}

void appendField(QByteArray& out, const QByteArray& field) {
    appendLength(out, field.size());
    out.append(field);
}

// Reads one length-prefixed field from payload at offset; nothing when it does not fit.
std::optional<QByteArray> readField(const QByteArray& payload, qsizetype& offset) {
    if (payload.size() - offset < 4) {
        return std::nullopt;
    }
    const quint32 length = qFromBigEndian<quint32>(payload.constData() + offset);
    offset += 4;
    if (length > static_cast<quint32>(payload.size() - offset)) {
        return std::nullopt;
    }
    QByteArray field = payload.mid(offset, length);
    offset += length;
    return field;
}

QByteArray answer(char status) {
    QByteArray out(magic, magicSize);
    out.append(version);
    out.append(status);
    return out;
}

} // namespace

SingleInstance::SingleInstance(QString folder, QString name, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), name_(std::move(name)), lock_(lockPath()) {
    // A running first copy keeps its lock for days: only a lock whose process is gone
    // is stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    release();
}

QByteArray SingleInstance::launchToken() {
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty()) {
        token = qgetenv("DESKTOP_STARTUP_ID");
    }
    return token;
}

QString SingleInstance::defaultFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime;
    }
    // Without a runtime folder: one of our own, closed to other accounts.
    const QString own = QDir::tempPath() + QStringLiteral("/velmarkestle-%1").arg(::getuid());
    QDir().mkpath(own);
    QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return own;
}

QString SingleInstance::socketPath() const {
    return folder_ + u'/' + name_ + QStringLiteral(".socket");
}

QString SingleInstance::lockPath() const {
    return folder_ + u'/' + name_ + QStringLiteral(".lock");
}

SingleInstance::Role SingleInstance::elect(std::chrono::milliseconds patience) {
    QElapsedTimer timer;
    timer.start();
    while (true) {
        if (lock_.tryLock(0)) {
            // The lock is ours, so a socket left there is a crashed run's.
            QLocalServer::removeServer(socketPath());
            server_ = new QLocalServer(this);
            server_->setSocketOptions(QLocalServer::UserAccessOption);
            if (!server_->listen(socketPath())) {
                qCWarning(lcApp, "Single instance: cannot listen on %s: %s",
                          qPrintable(socketPath()), qPrintable(server_->errorString()));
            }
            connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
            return Role::first;
        }
        if (lock_.error() != QLockFile::LockFailedError) {
            qCWarning(lcApp, "Single instance: cannot lock %s", qPrintable(lockPath()));
            return Role::none;
        }
        // Locked by a copy that may still be on its way to listening.
        QLocalSocket probe;
        probe.connectToServer(socketPath());
        if (probe.waitForConnected(200)) {
            probe.abort();
            return Role::second;
        }
        if (timer.elapsed() >= patience.count()) {
            qCWarning(lcApp, "Single instance: %s is locked and nobody answers",
                      qPrintable(lockPath()));
            return Role::none;
        }
        QThread::msleep(50);
    }
}

bool SingleInstance::send(const Message& message, std::chrono::milliseconds timeout) const {
    QElapsedTimer timer;
    timer.start();
    const auto left = [&] {
        return static_cast<int>(std::max<qint64>(1, timeout.count() - timer.elapsed()));
    };
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(left())) {
        return false;
    }
    socket.write(encode(message));
    if (!socket.waitForBytesWritten(left())) {
        return false;
    }
    QByteArray reply;
    while (reply.size() < magicSize + 2 && timer.elapsed() < timeout.count()) {
        if (!socket.waitForReadyRead(left())) {
            break;
        }
        reply += socket.readAll();
    }
    return reply == answer(answerOk);
}

void SingleInstance::release() {
    if (server_ != nullptr) {
        server_->close();
        delete server_;
        server_ = nullptr;
        QLocalServer::removeServer(socketPath());
    }
    if (lock_.isLocked()) {
        lock_.unlock();
    }
}

QByteArray SingleInstance::encode(const Message& message) {
    QByteArray payload;
    appendLength(payload, message.arguments.size());
    for (const QString& argument : message.arguments) {
        appendField(payload, argument.toUtf8());
    }
    appendField(payload, message.activationToken);
    QByteArray out(magic, magicSize);
    out.append(version);
    appendLength(out, payload.size());
    out.append(payload);
    return out;
}

SingleInstance::Decoded SingleInstance::decode(const QByteArray& buffer) {
    Decoded decoded;
    if (buffer.size() < headerSize) {
        if (!QByteArray(magic, magicSize).startsWith(buffer.left(magicSize))) {
            decoded.error = QStringLiteral("not a launch message");
        }
        return decoded;
    }
    if (!buffer.startsWith(QByteArray(magic, magicSize))) {
        decoded.error = QStringLiteral("not a launch message");
        return decoded;
    }
    if (buffer[magicSize] != version) {
        decoded.error =
            QStringLiteral("version %1 of the launch message").arg(int(buffer[magicSize]));
        return decoded;
    }
    const quint32 length = qFromBigEndian<quint32>(buffer.constData() + magicSize + 1);
    if (length > maximumPayload) {
        decoded.error = QStringLiteral("a launch message of %1 bytes").arg(length);
        return decoded;
    }
    if (buffer.size() - headerSize < static_cast<qsizetype>(length)) {
        return decoded; // more to come
    }
    const QByteArray payload = buffer.mid(headerSize, length);
    if (payload.size() < 4) {
        decoded.error = QStringLiteral("a launch message without arguments");
        return decoded;
    }
    const quint32 arguments = qFromBigEndian<quint32>(payload.constData());
    qsizetype offset = 4;
    Message message;
    // Every argument takes at least its length's four bytes.
    if (arguments > static_cast<quint32>((payload.size() - offset) / 4)) {
        decoded.error = QStringLiteral("a launch message with too many arguments");
        return decoded;
    }
    for (quint32 i = 0; i < arguments; ++i) {
        std::optional<QByteArray> field = readField(payload, offset);
        if (!field) {
            decoded.error = QStringLiteral("a cut launch message");
            return decoded;
        }
        message.arguments << QString::fromUtf8(*field);
    }
    std::optional<QByteArray> token = readField(payload, offset);
    if (!token || offset != payload.size()) {
        decoded.error = QStringLiteral("a cut launch message");
        return decoded;
    }
    message.activationToken = *token;
    decoded.message = std::move(message);
    decoded.used = headerSize + length;
    return decoded;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        QPointer<QLocalSocket> guard(socket);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(connectionTimeoutMs, socket, [guard] {
            if (guard) {
                guard->abort();
            }
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            const Decoded decoded = decode(*buffer);
            if (!decoded.error.isEmpty()) {
                qCWarning(lcApp, "Second launch: %s", qPrintable(decoded.error));
                socket->abort();
                return;
            }
            if (!decoded.message) {
                return;
            }
            socket->write(answer(answerOk));
            socket->flush();
            socket->disconnectFromServer();
            emit messageReceived(*decoded.message);
        });
    }
}

} // namespace kestle::app
