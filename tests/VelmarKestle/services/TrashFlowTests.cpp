#include "services/TrashFlow.hpp"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QUndoStack>
#include <QWidget>

#include <gtest/gtest.h>

#include "VelmarKestle/sessions/SessionTestSupport.hpp"
#include "apps/InstalledApps.hpp"
#include "helpers/AppBundleMaker.hpp"
#include "helpers/LogCapture.hpp"
#include "helpers/TempFolder.hpp"
#include "model/KestleModel.hpp"
#include "platform/FreedesktopTrash.hpp"
#include "platform/Workspace.hpp"

using kestle::AppEntry;
using kestle::CatalogApp;
using kestle::CheckResult;
using kestle::Url;
using kestle::app::KestleModel;
using kestle::app::TrashFlow;
using kestle::test::AppBundleMaker;
using kestle::test::LogCapture;
using kestle::test::runUntil;
using kestle::test::TempFolder;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A real bundle in a temporary Applications folder, a real freedesktop Trash in a
// temporary data home, and a model that found it installed. Alerts are recorded and
// answered by `answer` (the index of the button), a moment later as a person would.
struct Fixture {
    TempFolder temp;
    fs::path apps = temp / "Applications";
    fs::path bundle = apps / "Notes.app";
    fs::path inTrash = temp / "home/data/Trash/files/Notes.app";
    std::unique_ptr<KestleModel> model;
    std::vector<TrashFlow::Alert> alerts;
    QStringList banners; // every banner shown, in order
    std::function<int(const TrashFlow::Alert&)> answer = [](const TrashFlow::Alert&) { return 0; };
    TrashFlow& flow = TrashFlow::shared();

    explicit Fixture(bool refusesQuit = false, bool manualRemoval = false) {
        ::setenv("HOME", (temp / "home").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (temp / "home/data").c_str(), 1);
        AppBundleMaker::Spec spec;
        spec.refusesQuit = refusesQuit;
        AppBundleMaker::make(bundle, spec);

        kestle::app::Setup setup;
        setup.checker = [manualRemoval](std::stop_token) {
            CatalogApp app;
            app.manualRemoval = manualRemoval;
            app.id = "notes";
            app.bundleID = AppBundleMaker::identifier;
            app.name = "Notes";
            app.feed = Url::parse("https://velmar.example/notes.xml");
            CheckResult result;
            result.catalog = kestle::Catalog{1, {app}};
            return result;
        };
        const Url folder = Url::fromPath(apps.string());
        setup.scanInstalled = [folder](const std::set<std::string>& ids) {
            return kestle::InstalledApps({folder}).scan(ids);
        };
        setup.scope = kestle::UpdateScope{{folder}};
        setup.trash = kestle::AppTrash(setup.scope, kestle::moveToFreedesktopTrash);
        setup.termsAccepted = true;
        model = std::make_unique<KestleModel>(std::move(setup));
        QObject::connect(model.get(), &KestleModel::bannerChanged, [this] {
            if (model->banner()) {
                banners.push_back(model->banner()->text);
            }
        });
        bool checked = false;
        model->check(kestle::app::CheckReason::user, [&] { checked = true; });
        EXPECT_TRUE(runUntil([&] { return checked; }));

        flow.setPresenter(
            [this](const TrashFlow::Alert& alert, bool, std::function<void(int)> chosen) {
                alerts.push_back(alert);
                const int choice = answer(alert);
                QTimer::singleShot(10, [chosen = std::move(chosen), choice] { chosen(choice); });
            });
        flow.setQuitDeadline(1500ms);
    }
    ~Fixture() {
        flow.setPresenter({});
        flow.setUndoStack({});
        flow.setQuitDeadline(10s);
        AppBundleMaker::killAll(apps);
    }

    AppEntry notes() const { return *model->entry("notes"); }
    bool installed() const { return notes().installed.has_value(); }
    // Waits for the banner to read text.
    bool waitForBanner(const QString& text) {
        return runUntil([&] { return model->banner() && model->banner()->text == text; }, 5s);
    }
    // Waits for a banner that read text at some moment: a quick quit replaces it at once.
    bool waitForShownBanner(const QString& text) {
        return runUntil([&] { return banners.contains(text); }, 5s);
    }
};

// Confirmed, the bundle goes to the Trash and the banner's Undo puts it back once; the
// window's Undo does the same; a declined confirmation moves nothing.
TEST(TrashFlow, AConfirmedMoveCanBeUndoneOnceFromTheBannerOrTheWindow) {
    LogCapture log;
    Fixture f;
    f.answer = [](const TrashFlow::Alert& alert) {
        EXPECT_EQ(alert.title, "Move Notes to the Trash?");
        EXPECT_EQ(alert.buttons, (QStringList{"Move to Trash", "Cancel"}));
        EXPECT_FALSE(alert.text.contains("is open")) << alert.text.toStdString();
        return 1;
    };
    f.flow.start(f.notes(), *f.model);
    ASSERT_TRUE(runUntil([&] { return f.alerts.size() == 1; }));
    runUntil([] { return false; }, 100ms); // the answer arrives
    EXPECT_TRUE(fs::exists(f.bundle));
    EXPECT_FALSE(f.model->banner().has_value());

    f.answer = [](const TrashFlow::Alert&) { return 0; };
    f.flow.start(f.notes(), *f.model);
    ASSERT_TRUE(f.waitForBanner("Notes is in the Trash"));
    EXPECT_FALSE(fs::exists(f.bundle));
    EXPECT_TRUE(fs::exists(f.inTrash));
    EXPECT_FALSE(f.installed()) << "the model rescanned";
    EXPECT_TRUE(LogCapture::contains("notes: moved to the Trash at " + f.inTrash.string()));

    ASSERT_EQ(f.model->banner()->button, QString("Undo"));
    const auto undo = f.model->banner()->action;
    undo();
    EXPECT_TRUE(fs::exists(f.bundle)) << "Undo put it back";
    EXPECT_FALSE(f.model->banner().has_value()) << "Undo removes its banner";
    ASSERT_TRUE(runUntil([&] { return f.installed(); }));
    undo(); // a second click of the same banner
    EXPECT_EQ(f.alerts.size(), 2u) << "no alert after a put-back that worked";
    EXPECT_TRUE(fs::exists(f.bundle));

    // The window's Undo, while a main window is shown.
    QWidget window;
    window.setObjectName("main");
    window.show();
    QUndoStack stack;
    f.flow.setUndoStack([&stack] { return &stack; });
    f.flow.start(f.notes(), *f.model);
    ASSERT_TRUE(f.waitForBanner("Notes is in the Trash"));
    ASSERT_TRUE(stack.canUndo());
    EXPECT_EQ(stack.undoText(), "Move to Trash");
    stack.undo();
    ASSERT_TRUE(runUntil([&] { return fs::exists(f.bundle) && f.installed(); }));
    EXPECT_FALSE(stack.canUndo());
}

bool ignoresTermination(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigIgn:")) {
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
        }
    }
    return false;
}

// A running copy that quits is moved after the quitting banner; one that refuses stays,
// with the "Didn’t Quit" alert.
TEST(TrashFlow, ARunningCopyIsAskedToQuitAndNothingMovesWhenItRefuses) {
    for (bool refuses : {false, true}) {
        SCOPED_TRACE(refuses ? "refuses" : "quits");
        LogCapture log;
        Fixture f(refuses);
        const pid_t pid = AppBundleMaker::launch(f.bundle);
        // The copy that refuses must be ignoring the request before it is asked.
        ASSERT_TRUE(!refuses || runUntil([pid] { return ignoresTermination(pid); }, 5s));
        f.flow.start(f.notes(), *f.model);
        ASSERT_TRUE(f.waitForShownBanner("Quitting Notes…"));
        ASSERT_FALSE(f.alerts.empty());
        EXPECT_TRUE(f.alerts.front().text.startsWith(
            "Notes is open: VelmarKestle quits it before moving it. Its settings"))
            << f.alerts.front().text.toStdString();
        if (!refuses) {
            ASSERT_TRUE(f.waitForBanner("Notes is in the Trash"));
            EXPECT_TRUE(fs::exists(f.inTrash));
            continue;
        }
        ASSERT_TRUE(runUntil([&] { return f.alerts.size() == 2; }, 5s));
        EXPECT_EQ(f.alerts.back().title, "Notes Didn’t Quit");
        EXPECT_EQ(f.alerts.back().text, "Nothing was moved. Quit Notes and try again.");
        EXPECT_TRUE(fs::exists(f.bundle));
        EXPECT_FALSE(f.model->banner().has_value());
        EXPECT_TRUE(LogCapture::contains("notes: didn't quit, nothing moved"));
    }
}

// What Undo meets: an emptied Trash, an app installed again in its place.
TEST(TrashFlow, APutBackThatCannotHappenSaysWhy) {
    Fixture f;
    f.flow.start(f.notes(), *f.model);
    ASSERT_TRUE(f.waitForBanner("Notes is in the Trash"));
    auto undo = f.model->banner()->action;
    fs::remove_all(f.inTrash); // emptied
    undo();
    ASSERT_EQ(f.alerts.size(), 2u);
    EXPECT_EQ(f.alerts.back().title, "Couldn’t Put Notes Back");
    EXPECT_EQ(f.alerts.back().text, "Notes isn’t in the Trash any more.");

    AppBundleMaker::make(f.bundle, {});
    f.model->refreshInstalled();
    ASSERT_TRUE(runUntil([&] { return f.installed(); }));
    f.flow.start(f.notes(), *f.model);
    ASSERT_TRUE(f.waitForBanner("Notes is in the Trash"));
    undo = f.model->banner()->action;
    AppBundleMaker::make(f.bundle, {}); // installed again meanwhile
    undo();
    EXPECT_EQ(f.alerts.back().text, "There’s already an app called Notes in its place: "
                                    "VelmarKestle doesn’t replace it. Notes stays in the Trash.");
    EXPECT_FALSE(f.flow.last().has_value());
}

// The views that ask may be rebuilt while the confirmation is open (a rescan deletes a
// detail page's menu): the flow keeps its own copy and looks the app up again.
TEST(TrashFlow, AnEntryThatChangesWhileTheDialogIsOpenIsLookedUpAgain) {
    Fixture f;
    bool answered = false;
    std::function<void(int)> confirm;
    f.flow.setPresenter([&](const TrashFlow::Alert&, bool, std::function<void(int)> chosen) {
        confirm = std::move(chosen);
        answered = true;
    });
    {
        auto asked = std::make_unique<AppEntry>(f.notes());
        f.flow.start(*asked, *f.model);
    } // the view's entry is gone
    ASSERT_TRUE(answered);
    fs::rename(f.bundle, f.temp / "elsewhere.app"); // and the app with it
    f.model->refreshInstalled();
    ASSERT_TRUE(runUntil([&] { return !f.installed(); }));
    confirm(0);
    EXPECT_TRUE(fs::exists(f.temp / "elsewhere.app"));
    EXPECT_FALSE(fs::exists(f.inTrash));
    EXPECT_FALSE(f.model->banner().has_value());
}

// The real panels: a sheet on the visible main window, its buttons in order, Escape
// for Cancel, and nothing waits in a nested event loop.
TEST(TrashFlow, TheConfirmationIsASheetOnTheMainWindow) {
    Fixture f;
    f.flow.setPresenter({});
    QWidget window;
    window.setObjectName("main");
    window.show();
    f.flow.start(f.notes(), *f.model);
    auto* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr) << "start returned with the sheet open";
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    QStringList buttons;
    for (QAbstractButton* button : box->buttons()) {
        buttons << button->text();
    }
    EXPECT_EQ(buttons, (QStringList{"Move to Trash", "Cancel"}));
    ASSERT_NE(box->escapeButton(), nullptr);
    EXPECT_EQ(box->escapeButton()->text(), "Cancel");
    box->escapeButton()->click();
    runUntil([] { return false; }, 50ms);
    EXPECT_TRUE(fs::exists(f.bundle));
}

// Steps by hand: nothing moved, no confirmation; "Show in Folder" reveals the bundle.
TEST(TrashFlow, AnAppMarkedForRemovalByHandGetsTheStepsAndIsNeverMoved) {
    Fixture f(false, true);
    std::vector<QUrl> shown;
    kestle::Workspace::hooks().showItem = [&](const QUrl& item) {
        shown.push_back(item);
        return true;
    };
    f.answer = [](const TrashFlow::Alert& alert) {
        return static_cast<int>(alert.buttons.indexOf("Show in Folder"));
    };
    f.flow.start(f.notes(), *f.model);
    ASSERT_TRUE(runUntil([&] { return !shown.empty(); }, 5s));
    kestle::Workspace::hooks() = {};
    ASSERT_EQ(f.alerts.size(), 1u);
    EXPECT_EQ(f.alerts[0].title, "Move Notes to the Trash Yourself");
    EXPECT_EQ(f.alerts[0].buttons.back(), "OK");
    EXPECT_EQ(shown[0], QUrl::fromLocalFile(QString::fromStdString(f.bundle.string())));
    EXPECT_TRUE(fs::exists(f.bundle));
}

} // namespace
