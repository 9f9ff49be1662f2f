#include "views/menubar/TrayIcon.hpp"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMenu>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QThread>

#include <gtest/gtest.h>

#include "VelmarKestle/views/ViewTestModel.hpp"
#include "VelmarKestle/views/menubar/MenuTestSupport.hpp"
#include "helpers/NotificationBus.hpp"
#include "views/menubar/MenuBarContent.hpp"

using kestle::MemoryPreferences;
using kestle::UpdateStep;
using kestle::app::MenuBarContent;
using kestle::app::TrayIcon;
using kestle::test::EnglishLocale;
using kestle::test::MockNotificationServer;
using kestle::test::PrivateBus;
using kestle::test::runUntil;
using kestle::test::shownAction;
using kestle::test::ViewTestModel;
using Items = std::vector<std::string>;

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kMockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

// python3-dbusmock as a StatusNotifierWatcher with a host, so Qt exports the tray icon
// over D-Bus.
class MockWatcher {
public:
    explicit MockWatcher(const PrivateBus& bus) : bus_(bus) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        process_.setProcessEnvironment(environment);
        process_.start(MockNotificationServer::python(),
                       {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                        QStringLiteral("--session"), kWatcher, kWatcherPath, kWatcher});
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000 &&
               !bus.connection().interface()->isServiceRegistered(kWatcher)) {
            QThread::msleep(20);
        }
        mock(QStringLiteral("AddMethod"), {kWatcher, QStringLiteral("RegisterStatusNotifierItem"),
                                           QStringLiteral("s"), QString(), QString()});
        mock(QStringLiteral("AddMethod"), {kWatcher, QStringLiteral("RegisterStatusNotifierHost"),
                                           QStringLiteral("s"), QString(), QString()});
        mock(QStringLiteral("AddProperty"),
             {kWatcher, QStringLiteral("IsStatusNotifierHostRegistered"),
              QVariant::fromValue(QDBusVariant(true))});
        mock(QStringLiteral("AddProperty"),
             {kWatcher, QStringLiteral("ProtocolVersion"), QVariant::fromValue(QDBusVariant(0))});
        mock(QStringLiteral("AddProperty"),
             {kWatcher, QStringLiteral("RegisteredStatusNotifierItems"),
              QVariant::fromValue(QDBusVariant(QStringList()))});
    }
    ~MockWatcher() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    bool isUp() const { return bus_.connection().interface()->isServiceRegistered(kWatcher); }

    // The services that registered an item so far.
    QStringList registeredItems() const {
        const QDBusMessage reply =
            mock(QStringLiteral("GetMethodCalls"), {QStringLiteral("RegisterStatusNotifierItem")});
        QStringList services;
        for (const QVariantList& arguments : kestle::test::recordedCalls(reply)) {
            if (!arguments.isEmpty()) {
                services.push_back(arguments.first().toString());
            }
        }
        return services;
    }

private:
    QDBusMessage mock(const QString& method, const QVariantList& arguments) const {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kMockInterface, method);
        call.setArguments(arguments);
        return bus_.connection().call(call, QDBus::Block, 5000);
    }

    const PrivateBus& bus_;
    QProcess process_;
};

// One shown item of an exported menu: its id and how it reads ("---" for a divider,
// " (off)" when disabled).
struct ExportedItem {
    int id = 0;
    std::string text;
    friend bool operator==(const ExportedItem&, const ExportedItem&) = default;
};

// The top level of a com.canonical.dbusmenu layout, hidden items left out.
std::optional<std::vector<ExportedItem>> exportedMenu(const QDBusConnection& connection,
                                                      const QString& service, const QString& path) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, kMenuInterface, QStringLiteral("GetLayout"));
    call << 0 << -1 << QStringList();
    const QDBusMessage reply = connection.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        return std::nullopt;
    }
    const auto layout = reply.arguments().at(1).value<QDBusArgument>();
    int rootId = 0;
    QVariantMap rootProperties;
    std::vector<ExportedItem> items;
    layout.beginStructure();
    layout >> rootId >> rootProperties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const auto item = child.variant().value<QDBusArgument>();
        int id = 0;
        QVariantMap properties;
        item.beginStructure();
        item >> id >> properties;
        item.endStructure();
        if (!properties.value(QStringLiteral("visible"), true).toBool()) {
            continue;
        }
        std::string text =
            properties.value(QStringLiteral("type")).toString() == QStringLiteral("separator")
                ? "---"
                : properties.value(QStringLiteral("label")).toString().toStdString();
        if (!properties.value(QStringLiteral("enabled"), true).toBool()) {
            text += " (off)";
        }
        items.push_back({id, text});
    }
    layout.endArray();
    layout.endStructure();
    return items;
}

Items texts(const std::vector<ExportedItem>& items) {
    Items result;
    for (const ExportedItem& item : items) {
        result.push_back(item.text);
    }
    return result;
}

// An X server of its own for the child; -displayfd picks a free display.
class VirtualDisplay {
public:
    VirtualDisplay() {
        process_.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (process_.waitForStarted() && process_.waitForReadyRead(5000)) {
            display_ = QStringLiteral(":") + QString::fromUtf8(process_.readLine()).trimmed();
        }
    }
    ~VirtualDisplay() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    const QString& display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

constexpr const char* kChild = "TrayIconChild.DISABLED_ServesTheMenuUntilToldToQuit";

} // namespace

TEST(TrayIcon, OffscreenHasNoTrayAndKeepsTheChoice) {
    ViewTestModel fixture;
    MenuBarContent content(*fixture.model, nullptr, {});
    auto defaults = std::make_shared<MemoryPreferences>();
    TrayIcon tray(content, defaults, {});
    EXPECT_FALSE(tray.isAvailable());
    EXPECT_FALSE(tray.isShown());
    EXPECT_EQ(tray.trayIcon()->contextMenu(), content.menu());
    EXPECT_EQ(tray.trayIcon()->toolTip(), QStringLiteral("VelmarKestle"));
    EXPECT_FALSE(tray.trayIcon()->icon().isNull());
    tray.setShown(false);
    EXPECT_EQ(defaults->boolean(TrayIcon::preference), false);
    EXPECT_FALSE(tray.isShown());
}

TEST(TrayIcon, TheBundleHoldsThePanelIcon) {
#ifdef KESTLE_APP_BUNDLE
    const QString file =
        QStringLiteral(KESTLE_APP_BUNDLE "/Contents/Resources/icons/KestleMenuIcon-symbolic.svg");
    ASSERT_TRUE(QFile::exists(file));
    const QImage image = QIcon(file).pixmap(32).toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.pixelColor(6, 27).alpha(), 200) << "the tent";
    EXPECT_EQ(image.pixelColor(16, 27).alpha(), 0) << "the door is a hole in it";
    EXPECT_GT(image.pixelColor(16, 4).alpha(), 200) << "the arrow's shaft";
    EXPECT_EQ(image.pixelColor(2, 2).alpha(), 0) << "a transparent corner";
#else
    GTEST_SKIP() << "built without the bundle";
#endif
}

// Qt exports the tray over D-Bus only on a desktop platform, never offscreen, so the item
// is served by a copy of this program on a virtual display; this test reads its menu.
TEST(TrayIcon, ExportsTheMenuAndChangesItsItemsInPlace) {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        !MockNotificationServer::available()) {
        GTEST_SKIP() << "needs Xvfb and python3-dbusmock";
    }
    PrivateBus bus;
    ASSERT_TRUE(bus.isUp());
    MockWatcher watcher(bus);
    ASSERT_TRUE(watcher.isUp());
    VirtualDisplay display;
    ASSERT_FALSE(display.display().isEmpty());

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    environment.insert(QStringLiteral("DISPLAY"), display.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // Under the sanitizers: Qt D-Bus keeps the exported tray item until the process ends.
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
                       QStringLiteral("suppressions=" KESTLE_TEST_DATA_DIR "/qt-dbus.supp"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=") + QString::fromLatin1(kChild)});
    ASSERT_TRUE(child.waitForStarted());
    auto finish = [&] {
        child.write("quit\n");
        if (!child.waitForFinished(5000)) {
            child.kill();
            child.waitForFinished();
        }
    };

    QStringList items;
    ASSERT_TRUE(runUntil(
        [&] {
            items = watcher.registeredItems();
            return !items.isEmpty() || child.state() != QProcess::Running;
        },
        std::chrono::seconds(8)));
    if (items.isEmpty()) {
        finish();
        FAIL() << "no item registered: " << child.readAllStandardOutput().toStdString();
    }
    const QString service = items.first();
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, QStringLiteral("/StatusNotifierItem"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu");
    const QDBusMessage menuPath = bus.connection().call(get, QDBus::Block, 5000);
    ASSERT_EQ(menuPath.type(), QDBusMessage::ReplyMessage) << menuPath.errorMessage().toStdString();
    const QString path =
        qvariant_cast<QDBusObjectPath>(menuPath.arguments().first().value<QDBusVariant>().variant())
            .path();

    std::optional<std::vector<ExportedItem>> menu;
    const Items first{"Notes: 25% of 1 MB (off)",
                      "Paint: queued (off)",
                      "---",
                      "Open Notes",
                      "Open Paint",
                      "---",
                      "Open VelmarKestle",
                      "Check for Updates",
                      "---",
                      "Quit VelmarKestle"};
    EXPECT_TRUE(runUntil(
        [&] {
            menu = exportedMenu(bus.connection(), service, path);
            return menu && texts(*menu) == first;
        },
        std::chrono::seconds(5)))
        << (menu ? testing::PrintToString(texts(*menu)) : std::string("no layout"));
    if (!menu || menu->empty()) {
        finish();
        return;
    }

    const std::vector<ExportedItem> before = *menu;
    child.write("step\n");
    EXPECT_TRUE(runUntil(
        [&] {
            menu = exportedMenu(bus.connection(), service, path);
            return menu && !menu->empty() && menu->front().text == "Notes: 50% of 1 MB (off)";
        },
        std::chrono::seconds(5)))
        << (menu ? testing::PrintToString(texts(*menu)) : std::string("no layout"));
    ASSERT_TRUE(menu && menu->size() == before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ((*menu)[i].id, before[i].id) << "item " << i << " was replaced";
    }
    finish();
    EXPECT_EQ(child.exitCode(), 0);
}

// The other side of the test above, run only in its child process: a tray icon over the
// view model with one download under way, moved one step on "step", ended on "quit".
TEST(TrayIconChild, DISABLED_ServesTheMenuUntilToldToQuit) {
    EnglishLocale english;
    ViewTestModel fixture;
    MenuBarContent content(*fixture.model, nullptr, {});
    TrayIcon tray(content, nullptr, {});
    ASSERT_TRUE(tray.isAvailable());
    ASSERT_TRUE(tray.isShown());
    shownAction(*content.menu(), QStringLiteral("Update All"))->trigger();
    fixture.script->step(UpdateStep::downloading(250'000, 1'000'000));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string received;
    bool quit = false;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            quit = true;
            return;
        }
        received.append(buffer, static_cast<size_t>(count));
        for (size_t end = received.find('\n'); end != std::string::npos;
             end = received.find('\n')) {
            const std::string line = received.substr(0, end);
            received.erase(0, end + 1);
            if (line == "step") {
                fixture.script->step(UpdateStep::downloading(500'000, 1'000'000));
            } else if (line == "quit") {
                quit = true;
            }
        }
    });
    EXPECT_TRUE(runUntil([&] { return quit; }, std::chrono::seconds(20)));
}
