// The main window over a catalog of 200 apps (a third installed, a sixth with an
// update): time to the first paint, to switch between grid and table, and to apply one
// search keystroke, each until the window has painted again (target: under 50 ms), and
// the process's resident memory once the window is up (target: under 80 MB). The same
// steps over 20 apps run first as the baseline the ratios are taken against, after a
// warm-up window that is not measured.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include "ProcessMemory.hpp"
#include "model/KestleModel.hpp"
#include "views/window/MainWindow.hpp"

namespace {

using namespace kestle;
using app::KestleModel;
using app::ListLayout;
using app::MainWindow;

const char* const kWords[] = {"Lumen",  "Quill", "Tessera", "Orbit",  "Cipher", "Harbor", "Fathom",
                              "Marble", "Sable", "Tinder",  "Vellum", "Wicket", "Zephyr"};

CheckResult catalog(int count) {
    CheckResult result;
    Catalog catalog;
    catalog.schema = 1;
    for (int i = 0; i < count; ++i) {
        CatalogApp app;
        app.id = "app" + std::to_string(i);
        app.bundleID = "com.velmar." + app.id;
        app.name = std::string(kWords[i % std::size(kWords)]) + " " + std::to_string(i);
        app.tagline = LocalizedText{{"en", "A small app that does one thing well"}};
        app.summary = LocalizedText{{"en", "What it does, in a sentence or two."}};
        app.feed = Url::parse("https://velmar.example/" + app.id + ".xml");
        app.site = Url::parse("https://velmar.example/" + app.id);
        app.status = i % 10 == 9 ? CatalogApp::Status::coming : CatalogApp::Status::released;
        if (app.status == CatalogApp::Status::released) {
            FeedItem item;
            item.build = i % 6 == 0 ? "11" : "10";
            item.version = i % 6 == 0 ? "1.1" : "1.0";
            item.date = std::chrono::sys_days{std::chrono::year{2026} / 11 / 20};
            item.length = 3'000'000 + i * 1000;
            item.download = Url::parse("https://velmar.example/" + app.id + ".dmg");
            result.latest.emplace(app.id, item);
        }
        catalog.apps.push_back(std::move(app));
    }
    result.catalog = std::move(catalog);
    return result;
}

app::Setup setup(int count) {
    app::Setup setup;
    const CheckResult answer = catalog(count);
    setup.checker = [answer](std::stop_token) { return answer; };
    setup.catalogURL = Url::parse("https://velmar.example/catalog.json");
    setup.scanInstalled = [count](const std::set<std::string>&) {
        std::map<std::string, InstalledApp> installed;
        for (int i = 0; i < count; i += 3) {
            if (i % 10 != 9) {
                const std::string id = "app" + std::to_string(i);
                installed.emplace(
                    "com.velmar." + id,
                    InstalledApp{Url::fromPath("/Applications/" + id + ".app"), "1.0", "10"});
            }
        }
        return installed;
    };
    setup.termsAccepted = true;
    setup.scope = UpdateScope{{Url::fromPath("/Applications")}};
    return setup;
}

// Counts paints of the window's content, so a step can wait for the screen to follow.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest) {
            ++paints;
        }
        return false;
    }
};

// Runs a step, then lets Qt lay out and paint everything it changed.
double timed(MainWindow& window, const std::function<void()>& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    QApplication::processEvents();
    window.repaint();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures {
    double firstPaint = 0;
    double firstTable = 0;
    double switchMedian = 0;
    double keystroke = 0;
    double clearSearch = 0;
    double resident = 0;
};

Figures measure(int count) {
    KestleModel model(setup(count));
    bool checked = false;
    model.check(app::CheckReason::user, [&] { checked = true; });
    while (!checked) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    Figures figures;
    PaintCounter counter;
    QElapsedTimer timer;
    timer.start();
    MainWindow window(model, app::AppActions{});
    window.resize(1100, 800);
    window.centralWidget()->installEventFilter(&counter);
    window.show();
    while (counter.paints == 0) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    figures.firstPaint = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    figures.resident = residentMiB();

    figures.firstTable = timed(window, [&] { model.setLayout(ListLayout::table); });
    std::vector<double> switches;
    for (int i = 0; i < 10; ++i) {
        switches.push_back(timed(window, [&] { model.setLayout(ListLayout::grid); }));
        switches.push_back(timed(window, [&] { model.setLayout(ListLayout::table); }));
    }
    figures.switchMedian = median(switches);

    model.setLayout(ListLayout::grid);
    std::vector<double> keystrokes;
    for (const char* query : {"L", "Lu", "Lum", "Lume", "Lumen", "Lumen 1"}) {
        keystrokes.push_back(timed(window, [&] { model.setQuery(query); }));
    }
    figures.keystroke = median(keystrokes);
    figures.clearSearch = timed(window, [&] { model.setQuery(QString()); });
    return figures;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The first window of a process loads fonts, styles and icons; that is paid here,
    // outside both measurements.
    measure(5);
    const Figures base = measure(20);
    const double startResident = residentMiB();
    const Figures big = measure(200);
    auto row = [](const char* name, double baseline, double value) {
        std::printf("%-34s %8.1f ms  (20 apps %6.1f ms, ratio %5.2f)%s\n", name, value, baseline,
                    baseline > 0 ? value / baseline : 0.0, value < 50 ? "" : "  over 50 ms");
    };
    std::printf("Main window, 200 apps (target: under 50 ms each)\n");
    row("first paint", base.firstPaint, big.firstPaint);
    row("first switch to table", base.firstTable, big.firstTable);
    row("grid <-> table (median of 20)", base.switchMedian, big.switchMedian);
    row("search keystroke (median of 6)", base.keystroke, big.keystroke);
    row("clearing the search", base.clearSearch, big.clearSearch);
    std::printf("resident memory after start: %.1f MiB (after the 20-app window %.1f MiB; "
                "target under 80 MB)\n",
                big.resident, startResident);
    return 0;
}
