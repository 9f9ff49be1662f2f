#include "shell/SingleInstance.hpp"

#include <chrono>
#include <csignal>
#include <thread>

#include <QElapsedTimer>
#include <QProcess>
#include <QtEndian>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "helpers/TempFolder.hpp"

using kestle::app::SingleInstance;
using kestle::test::runUntil;
using kestle::test::TempFolder;
using namespace std::chrono_literals;
using Message = SingleInstance::Message;

namespace {

// What goes over the socket reads back whole, arrives in pieces, and anything else is
// refused before it is believed.
TEST(SingleInstance, MessagesReadBackAndBadOnesAreRefused) {
    const Message message{{"--autostart", "città ü", ""}, "token-1"};
    const QByteArray wire = SingleInstance::encode(message);
    auto decoded = SingleInstance::decode(wire + "next");
    ASSERT_TRUE(decoded.message.has_value()) << decoded.error.toStdString();
    EXPECT_EQ(*decoded.message, message);
    EXPECT_EQ(decoded.used, wire.size());
    for (qsizetype cut : {qsizetype(0), qsizetype(3), qsizetype(9), wire.size() - 1}) {
        auto partial = SingleInstance::decode(wire.left(cut));
        EXPECT_FALSE(partial.message) << cut;
        EXPECT_TRUE(partial.error.isEmpty()) << cut << ": more is still to come";
    }

    const auto withPayload = [](const QByteArray& payload, char version = 1) {
        QByteArray out("VKSI");
        out.append(version);
        char length[4];
        qToBigEndian(static_cast<quint32>(payload.size()), length);
        out.append(length, 4);
        return out + payload;
    };
    const auto be = [](quint32 value) {
        char bytes[4];
        qToBigEndian(value, bytes);
        return QByteArray(bytes, 4);
    };
    QByteArray huge("VKSI\x01", 5);
    huge += be(64 * 1024 + 1);
    const struct {
        const char* name;
        QByteArray bytes;
    } bad[] = {
        {"another program", QByteArray("GET / HTTP/1.1\r\n\r\n")},
        {"a later version", withPayload(be(0) + be(0), 2)},
        {"a length beyond the limit", huge},
        {"a hostile argument count", withPayload(be(0xFFFFFFFF) + be(0))},
        {"an argument longer than the payload", withPayload(be(1) + be(1000) + "ab")},
        {"no token", withPayload(be(0))},
        {"bytes after the token", withPayload(be(0) + be(0) + "x")},
    };
    for (const auto& c : bad) {
        auto refused = SingleInstance::decode(c.bytes);
        EXPECT_FALSE(refused.message) << c.name;
        EXPECT_FALSE(refused.error.isEmpty()) << c.name;
    }
}

// Two in one process: the second hands its message to the first, which answers; once
// the first lets go, the next one is first.
TEST(SingleInstance, TheSecondHandsOverAndAReleasedOneMakesRoom) {
    TempFolder folder;
    SingleInstance first(QString::fromStdString(folder.path().string()), "kestle.test");
    ASSERT_EQ(first.elect(), SingleInstance::Role::first);
    std::vector<Message> received;
    QObject::connect(&first, &SingleInstance::messageReceived,
                     [&](const Message& message) { received.push_back(message); });

    SingleInstance second(QString::fromStdString(folder.path().string()), "kestle.test");
    ASSERT_EQ(second.elect(1s), SingleInstance::Role::second);
    bool sent = false;
    std::thread sender([&] { sent = second.send({{"--x"}, "tok"}); });
    const bool arrived = runUntil([&] { return !received.empty(); }, 5s);
    sender.join();
    ASSERT_TRUE(arrived);
    EXPECT_TRUE(sent) << "the first one answered";
    EXPECT_EQ(received.front(), (Message{{"--x"}, "tok"}));

    first.release();
    SingleInstance third(QString::fromStdString(folder.path().string()), "kestle.test");
    EXPECT_EQ(third.elect(1s), SingleInstance::Role::first);
}

#ifdef KESTLE_APP_BUNDLE
// The application itself, on its sample catalog, in a home of its own.
class Launches : public ::testing::Test {
protected:
    TempFolder home;
    std::vector<std::unique_ptr<QProcess>> processes;

    ~Launches() override {
        for (auto& process : processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
    }

    QProcess& launch(const QStringList& arguments = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString root = QString::fromStdString(home.path().string());
        environment.insert("HOME", root);
        environment.insert("XDG_CONFIG_HOME", root + "/config");
        environment.insert("XDG_DATA_HOME", root + "/data");
        environment.insert("XDG_CACHE_HOME", root + "/cache");
        environment.insert("XDG_RUNTIME_DIR", runtime());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QStringLiteral(KESTLE_APP_BUNDLE "/Contents/MacOS/VelmarKestle"), arguments);
        EXPECT_TRUE(process->waitForStarted());
        processes.push_back(std::move(process));
        return *processes.back();
    }
    QString runtime() {
        const auto folder = home / "run";
        std::filesystem::create_directories(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        return QString::fromStdString(folder.string());
    }
    static bool endsWithin(QProcess& process, int ms) {
        return process.state() == QProcess::NotRunning || process.waitForFinished(ms);
    }
    // Until its first window is up, a launch is not yet the first instance for sure.
    static bool saidLaunch(QProcess& process) {
        QByteArray seen;
        return runUntil(
            [&] {
                process.waitForReadyRead(50);
                seen += process.readAll();
                return seen.contains("Launch at login");
            },
            15s);
    }
};

TEST_F(Launches, ASecondLaunchHandsOverAndEndsEvenAfterTheFirstWasKilled) {
    QProcess& first = launch();
    ASSERT_TRUE(saidLaunch(first));
    QProcess& second = launch({"--hello"});
    ASSERT_TRUE(endsWithin(second, 10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // A crash leaves its lock and socket behind; they must not block the next launch.
    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    ASSERT_TRUE(endsWithin(first, 5000));
    QProcess& next = launch();
    ASSERT_TRUE(saidLaunch(next)) << "the stale lock blocked the launch";
    EXPECT_FALSE(endsWithin(next, 500));
    QProcess& after = launch();
    ASSERT_TRUE(endsWithin(after, 10000));
    EXPECT_EQ(after.exitCode(), 0);
    EXPECT_EQ(next.state(), QProcess::Running);
}

// The session's SIGTERM, or the hangup logind sends at log out, quits in order and at
// once, and lets the next launch be first.
TEST_F(Launches, TerminationQuitsQuicklyAndFreesTheInstance) {
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QProcess& first = launch();
        ASSERT_TRUE(saidLaunch(first));
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(::kill(static_cast<pid_t>(first.processId()), signal), 0);
        ASSERT_TRUE(endsWithin(first, 5000));
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_EQ(first.exitStatus(), QProcess::NormalExit) << "killed by the signal";
        EXPECT_EQ(first.exitCode(), 0);
    }
    QProcess& next = launch();
    ASSERT_TRUE(saidLaunch(next));
    EXPECT_FALSE(endsWithin(next, 500));
}

TEST_F(Launches, TwoLaunchesAtOnceElectOne) {
    QProcess& a = launch();
    QProcess& b = launch();
    ASSERT_TRUE(runUntil(
        [&] { return a.state() != QProcess::Running || b.state() != QProcess::Running; }, 15s));
    kestle::test::spin(1s);
    const int running = (a.state() == QProcess::Running) + (b.state() == QProcess::Running);
    EXPECT_EQ(running, 1);
    QProcess& ended = a.state() == QProcess::Running ? b : a;
    EXPECT_EQ(ended.exitCode(), 0);
}
#endif

} // namespace
