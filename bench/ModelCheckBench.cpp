// One check cycle of the application model (catalog, feeds, installed-apps scan,
// entries, log lines, alerts), measured two ways: on the built-in sample catalog, and
// on a generated catalog of 1,000 apps served from loopback. Prints the wall time to
// the entries and the main thread's own CPU time during the cycle, which is what the
// window would lose to it (target: under 16 ms), and the model's resident memory.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <time.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sodium.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "ProcessMemory.hpp"
#include "apps/InstalledApps.hpp"
#include "check/Checker.hpp"
#include "check/WebSource.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "model/Configuration.hpp"
#include "model/KestleModel.hpp"
#include "model/LiveSetup.hpp"

namespace {

using namespace kestle;
namespace fs = std::filesystem;

double mainThreadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Figures {
    double wallMs = 0;
    double mainMs = 0;
    size_t entries = 0;
};

Figures runCheck(app::KestleModel& model) {
    bool done = false;
    QElapsedTimer wall;
    wall.start();
    const double cpu = mainThreadMs();
    model.check(app::CheckReason::background, [&] { done = true; });
    while (!done) {
        // Blocks while the workers run, so only real main-thread work is counted.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return {static_cast<double>(wall.nsecsElapsed()) / 1e6, mainThreadMs() - cpu,
            model.entries().size()};
}

std::string appcast(int app) {
    std::string items;
    for (int build = 1; build <= 5; ++build) {
        items += "<item><title>Version " + std::to_string(build) + "</title><sparkle:version>" +
                 std::to_string(build) + "</sparkle:version><sparkle:shortVersionString>1." +
                 std::to_string(build) +
                 "</sparkle:shortVersionString><description><![CDATA[<ul><li>Fixes</li></ul>]]>"
                 "</description><enclosure url=\"https://velmar.example/app" +
                 std::to_string(app) +
                 ".dmg\" length=\"123456\" sparkle:edSignature=\"AAAA\"/></item>";
    }
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:sparkle=\"http://example.com/s\">"
           "<channel><title>App</title>" +
           items + "</channel></rss>";
}

void discardLog(QtMsgType, const QMessageLogContext&, const QString& message) {
    // Formatted like the real handler, written nowhere: the cost of a log line stays in.
    static FILE* sink = std::fopen("/dev/null", "w");
    std::fputs(qPrintable(message), sink);
}

void sampleCycle() {
#ifdef KESTLE_APP_BUNDLE
    test::TempFolder temp;
    const app::Configuration config = app::Configuration::read(KESTLE_APP_BUNDLE);
    app::LiveSetup::Places places{temp / "cache", {}, {}};
    const double before = residentMiB();
    app::Setup setup = app::LiveSetup::make(config, std::make_shared<MemoryPreferences>(), places);
    setup.termsAccepted = true;
    app::KestleModel model(std::move(setup));
    Figures first = runCheck(model);
    Figures second = runCheck(model);
    std::printf("sample catalog: %zu entries, check %.1f ms wall (then %.1f ms), main thread "
                "%.2f ms (then %.2f ms); model and check add %.1f MiB resident\n",
                first.entries, first.wallMs, second.wallMs, first.mainMs, second.mainMs,
                residentMiB() - before);
#else
    std::printf("sample catalog: not built\n");
#endif
}

void largeCycle() {
    constexpr int apps = 1000;
    test::LoopbackServer server;
    test::TempFolder temp;
    nlohmann::json list = nlohmann::json::array();
    for (int i = 0; i < apps; ++i) {
        const std::string id = "app" + std::to_string(i);
        server.serve("/feeds/" + id + ".xml", appcast(i));
        list.push_back({{"id", id},
                        {"bundleID", "com.velmar." + id},
                        {"name", "App " + std::to_string(i)},
                        {"tagline", {{"en", "Tagline"}, {"it", "Motto"}}},
                        {"description", {{"en", "Description"}}},
                        {"status", "released"},
                        {"feed", server.url("/feeds/" + id + ".xml")},
                        {"icon", id + ".png"},
                        {"minimumSystem", "12.0"}});
        // A third of them installed, at an older build.
        if (i % 3 == 0) {
            test::TempFolder::writeText(
                temp / ("Apps/App " + std::to_string(i) + ".app/Contents/Info.plist"),
                "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                "<string>com.velmar." +
                    id + "</string><key>CFBundleVersion</key><string>3</string></dict></plist>");
        }
    }
    const std::string catalog = nlohmann::json{{"schema", 1}, {"apps", list}}.dump();
    server.serve("/catalog.json", test::TestSigning::shared().envelope(catalog));

    app::Setup setup;
    auto checker = std::make_shared<const Checker>(
        std::make_shared<const WebSource>(*Url::parse(server.url("/catalog.json"))),
        test::TestSigning::shared().key(), std::nullopt, "6.1.0", "x86_64");
    setup.checker = [checker](std::stop_token stop) { return checker->check(std::move(stop)); };
    const std::vector<Url> folders{Url::fromPath((temp / "Apps").string())};
    setup.scanInstalled = [folders](const std::set<std::string>& ids) {
        return InstalledApps(folders).scan(ids);
    };
    setup.termsAccepted = true;
    setup.defaults = std::make_shared<MemoryPreferences>();
    setup.ledgerDefaults = setup.defaults;
    const double before = residentMiB();
    app::KestleModel model(std::move(setup));
    for (int round = 1; round <= 3; ++round) {
        Figures figures = runCheck(model);
        std::printf("1,000 apps from loopback, round %d: %zu entries after %.1f ms wall, main "
                    "thread %.2f ms (target < 16 ms)\n",
                    round, figures.entries, figures.wallMs, figures.mainMs);
    }
    std::printf("1,000 apps: model and its check add %.1f MiB resident\n", residentMiB() - before);
}

} // namespace

int main(int argc, char** argv) {
    if (sodium_init() < 0) {
        return 1;
    }
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(discardLog);
    sampleCycle();
    largeCycle();
    return 0;
}
