#include "install/Installer.hpp"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "codesign/CodeSigner.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/RangedFile.hpp"
#include "helpers/SmallDisk.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "install/Command.hpp"
#include "install/PartialDownload.hpp"
#include "support/Base64.hpp"
#include "support/CrashPoint.hpp"

using kestle::CodeCheck;
using kestle::CodeCheckError;
using kestle::CodeSigner;
using kestle::Download;
using kestle::DownloadError;
using kestle::Installer;
using kestle::InstallError;
using kestle::InstallRequest;
using kestle::PartialDownload;
using kestle::UpdateStep;
using kestle::Url;
using kestle::test::LoopbackServer;
using kestle::test::TempFolder;
using kestle::test::TestSigning;
namespace fs = std::filesystem;

namespace kestle {
void PrintTo(const InstallError& error, std::ostream* out) {
    *out << describe(error);
}
} // namespace kestle

namespace {

constexpr const char* notesID = "com.velmar.Notes";

std::string infoPlist(const std::string& identifier) {
    return R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)"
           "<key>CFBundleIdentifier</key><string>" +
           identifier +
           "</string><key>CFBundleVersion</key><string>42</string>"
           "<key>CFBundleShortVersionString</key><string>1.2</string></dict></plist>";
}

const CodeSigner::Key& velmarKey() {
    static const CodeSigner::Key key =
        *CodeSigner::Key::fromKeyFile(fs::path(KESTLE_TEST_DATA_DIR) / "test-signing.key");
    return key;
}

// A signed app bundle with an executable and a link inside it.
fs::path makeApp(const fs::path& app, const std::string& identifier = notesID) {
    TempFolder::writeText(app / "Contents/Info.plist", infoPlist(identifier));
    TempFolder::writeText(app / "Contents/MacOS/Notes", "#!/bin/sh\necho notes\n");
    fs::permissions(app / "Contents/MacOS/Notes", fs::perms(0755));
    fs::create_symlink("MacOS/Notes", app / "Contents/Launcher");
    TempFolder::writeText(app / "Contents/MacOS/helper", "#!/bin/sh\n");
    fs::permissions(app / "Contents/MacOS/helper", fs::perms(06755));
    auto sealed = CodeSigner::sign(app, identifier, CodeCheck::velmarTeam, velmarKey());
    EXPECT_TRUE(sealed.has_value()) << kestle::describe(sealed.error());
    return app;
}

// A temporary Applications folder, a working folder and the disk-image tool's state
// folder, with an installer that uses the real download, tool and code check.
// The real download with a time-out short enough for a test.
std::expected<void, DownloadError> quickFetch(const Url& url, const fs::path& file, uint64_t limit,
                                              const Download::Progress& progress,
                                              std::stop_token stop, Download::Options options) {
    options.timeout = std::chrono::milliseconds(500);
    return Download::run(url, file, limit, progress, std::move(stop), options);
}

struct Fixture {
    TempFolder temp;
    fs::path apps = temp / "Applications";
    fs::path work = temp / "work";
    fs::path state = temp / "state";
    LoopbackServer server;
    Installer installer{
        .key = TestSigning::shared().key(),
        .images = Installer::Images::system(KESTLE_DISKUTIL_TOOL),
        .work = temp / "work",
        .anchors = {.teams = {{std::string(CodeCheck::velmarTeam), velmarKey().publicKey()}},
                    .notary = {}}};

    Fixture() {
        fs::create_directories(apps);
        fs::create_directories(state);
        fs::permissions(state, fs::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", state.c_str(), 1);
    }
    ~Fixture() { ::unsetenv("KESTLE_DISKUTIL_STATE"); }

    // The image of a folder, as bytes.
    std::string image(const fs::path& folder) {
        fs::path file = temp / (folder.filename().string() + ".iso");
        auto made = kestle::Command::run(KESTLE_MAKE_DISK_IMAGE, {folder.string(), file.string()});
        EXPECT_TRUE(made && made->status == 0) << (made ? made->errorOutput : "launch");
        return TempFolder::readText(file);
    }

    std::string goodImage() {
        fs::path folder = temp / "good";
        if (!fs::exists(folder)) {
            makeApp(folder / "Notes.app");
            TempFolder::writeText(folder / "Read Me.txt", "hello");
        }
        return image(folder);
    }

    InstallRequest request(const std::string& path, const std::string& bytes) {
        return {notesID,
                *Url::parse(server.url(path)),
                static_cast<int64_t>(bytes.size()),
                TestSigning::shared().sign(bytes),
                Url::fromPath(apps.string()),
                "42"};
    }

    // Nothing of an install is left behind.
    void expectNoTraces() {
        EXPECT_TRUE(!fs::exists(work) || fs::is_empty(work)) << "working folder left";
        EXPECT_TRUE(fs::is_empty(state)) << "image still attached";
    }
};

TEST(Installer, InstallsASignedAppFromTheServedImage) {
    Fixture f;
    std::string bytes = f.goodImage();
    f.server.serve("/Notes.iso", bytes);
    std::vector<UpdateStep> steps;

    auto result = f.installer.install(f.request("/Notes.iso", bytes),
                                      [&](const UpdateStep& step) { steps.push_back(step); });

    ASSERT_TRUE(result.has_value()) << describe(result.error());
    fs::path app = f.apps / "Notes.app";
    EXPECT_EQ(fs::path(result->app.path()), app);
    EXPECT_EQ(result->installed.build, "42");
    EXPECT_EQ(result->installed.version, "1.2");
    EXPECT_TRUE(CodeCheck::check(app, Installer::velmarRequirement(notesID), f.installer.anchors));
    EXPECT_TRUE(fs::is_symlink(app / "Contents/Launcher")) << "link followed while copying";
    EXPECT_EQ(fs::read_symlink(app / "Contents/Launcher"), "MacOS/Notes");
    struct stat helper {};
    ASSERT_EQ(::lstat((app / "Contents/MacOS/helper").c_str(), &helper), 0);
    EXPECT_EQ(helper.st_mode & 07777, 0755u) << "set-user-id or set-group-id kept";
    EXPECT_EQ(std::vector<fs::path>({app}),
              std::vector<fs::path>(fs::directory_iterator(f.apps), {}))
        << "staging folder or extra entries left in the destination";
    f.expectNoTraces();

    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps.front(), UpdateStep::downloading(0, bytes.size()));
    EXPECT_EQ(steps[steps.size() - 2], UpdateStep::verifying());
    EXPECT_EQ(steps.back(), UpdateStep::installing(false));
}

TEST(Installer, HostileDownloadsAndFoldersLeaveNothingBehind) {
    Fixture f;
    const std::string good = f.goodImage();
    const auto& signing = TestSigning::shared();

    fs::path tampered = f.temp / "tampered";
    makeApp(tampered / "Notes.app");
    TempFolder::writeText(tampered / "Notes.app/Contents/MacOS/Notes", "#!/bin/sh\nrm -rf ~\n");
    const std::string tamperedImage = f.image(tampered);

    fs::path twice = f.temp / "twice";
    makeApp(twice / "Notes.app");
    makeApp(twice / "Notes Copy.app");
    const std::string twiceImage = f.image(twice);

    fs::path linked = f.temp / "linked";
    makeApp(linked / "payload/Notes.app");
    fs::create_directory_symlink("payload/Notes.app", linked / "Notes.app");
    const std::string linkedImage = f.image(linked);

    struct Case {
        const char* fault;
        std::string image;                                     // served at /d.iso
        std::function<void(InstallRequest&)> adjust = nullptr; // after signing
        std::function<void()> prepare = nullptr;
        InstallError expected;
        bool downloads = true;
    };
    std::vector<Case> cases{
        {.fault = "a file one byte short accepted",
         .image = good,
         .adjust = [&](InstallRequest& r) { r.length = static_cast<int64_t>(good.size()) + 1; },
         .expected = InstallError::wrongLength(static_cast<int64_t>(good.size()) + 1,
                                               static_cast<int64_t>(good.size()))},
        {.fault = "a signature of other bytes accepted",
         .image = good,
         .adjust = [&](InstallRequest& r) { r.edSignature = signing.sign(good + "x"); },
         .expected = InstallError::of(InstallError::Kind::badSignature)},
        {.fault = "a 63-byte signature accepted",
         .image = good,
         .adjust =
             [&](InstallRequest& r) {
                 auto bytes = signing.signatureBytes(good);
                 bytes.pop_back();
                 r.edSignature = kestle::Base64::encode(bytes);
             },
         .expected = InstallError::of(InstallError::Kind::badSignature)},
        {.fault = "an older signed release installed under a newer build's name",
         .image = good,
         .adjust = [](InstallRequest& r) { r.build = "43"; },
         .expected = InstallError::codeCheck(
             CodeCheckError::rejected(kestle::CodeCheckStatus::requirementUnsatisfied))},
        {.fault = "a release taken for the announced one because the feed names none",
         .image = good,
         .adjust = [](InstallRequest& r) { r.build.clear(); },
         .expected = InstallError::codeCheck(
             CodeCheckError::rejected(kestle::CodeCheckStatus::requirementUnsatisfied))},
        {.fault = "an announced length beyond the free space downloaded anyway",
         .image = good,
         .adjust = [](InstallRequest& r) { r.length = int64_t{1} << 60; },
         .expected = InstallError::download(DownloadError::noRoom(uint64_t{1} << 60)),
         .downloads = false},
        {.fault = "no length downloaded anyway",
         .image = good,
         .adjust = [](InstallRequest& r) { r.length.reset(); },
         .expected = InstallError::of(InstallError::Kind::unsigned_),
         .downloads = false},
        {.fault = "a negative length downloaded anyway",
         .image = good,
         .adjust = [](InstallRequest& r) { r.length = -1; },
         .expected = InstallError::of(InstallError::Kind::unsigned_),
         .downloads = false},
        {.fault = "no signature downloaded anyway",
         .image = good,
         .adjust = [](InstallRequest& r) { r.edSignature.reset(); },
         .expected = InstallError::of(InstallError::Kind::unsigned_),
         .downloads = false},
        {.fault = "a tampered file inside the signed bundle installed",
         .image = tamperedImage,
         .expected = InstallError::codeCheck(
             CodeCheckError::rejected(kestle::CodeCheckStatus::fileModified))},
        {.fault = "one of two copies of the app picked",
         .image = twiceImage,
         .expected = InstallError::of(InstallError::Kind::noApp)},
        {.fault = "a symbolic link taken for the app",
         .image = linkedImage,
         .expected = InstallError::of(InstallError::Kind::noApp)},
        {.fault = "a signed file that is no image attached",
         .image = "not an image at all",
         .expected = InstallError::attach("")},
        {.fault = "the app installed beside a renamed copy",
         .image = good,
         .prepare = [&] { makeApp(f.apps / "Old Notes.app"); },
         .expected = InstallError::alreadyThere("Old Notes.app"),
         .downloads = false},
        {.fault = "another app with the name replaced",
         .image = good,
         .prepare = [&] { makeApp(f.apps / "Notes.app", "com.other.Notes"); },
         .expected = InstallError::alreadyThere("Notes.app")},
    };

    for (auto& c : cases) {
        SCOPED_TRACE(c.fault);
        fs::remove_all(f.apps);
        fs::create_directories(f.apps);
        if (c.prepare) {
            c.prepare();
        }
        std::string path = "/d" + std::to_string(&c - cases.data()) + ".iso";
        f.server.serve(path, c.image);
        auto request = f.request(path, c.image);
        if (c.adjust) {
            c.adjust(request);
        }
        auto before = TempFolder::snapshot(f.apps);

        auto result = f.installer.install(request, nullptr);

        ASSERT_FALSE(result.has_value());
        if (c.expected.kind == InstallError::Kind::attach) {
            EXPECT_EQ(result.error().kind, InstallError::Kind::attach) << describe(result.error());
        } else {
            EXPECT_EQ(result.error(), c.expected);
        }
        EXPECT_EQ(f.server.requestCount(path), c.downloads ? 1u : 0u);
        EXPECT_EQ(TempFolder::snapshot(f.apps), before);
        f.expectNoTraces();
    }
}

TEST(Installer, BrokenAndCanceledDownloadsLeaveNothingBehind) {
    Fixture f;
    const std::string good = f.goodImage();
    f.server.cutShort("/cut.iso", good, good.size() / 2);
    f.server.pauseMidway("/slow.iso", good, good.size() / 2, std::chrono::seconds(30));
    f.server.respond("/gone.iso", 404);
    f.server.stall("/stall.iso", std::chrono::seconds(30));
    // The real download with a time-out short enough for a test.
    f.installer.fetch = quickFetch;

    struct Case {
        const char* fault;
        std::string path;
        InstallError expected;
    };
    const std::vector<Case> cases{
        {"a body cut off mid-way taken as complete", "/cut.iso",
         InstallError::download(DownloadError::connection())},
        {"cancellation ignored during the download", "/slow.iso",
         InstallError::download(DownloadError::canceled())},
        {"a stalled server waited on forever", "/stall.iso",
         InstallError::download(DownloadError::connection())},
        {"an error page installed", "/gone.iso",
         InstallError::download(DownloadError::server(404))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        std::stop_source stop;
        auto before = TempFolder::snapshot(f.apps);
        auto result = f.installer.install(
            f.request(c.path, good),
            [&](const UpdateStep& step) {
                if (c.expected.isCancel() && step.received > 0) {
                    stop.request_stop();
                }
            },
            stop.get_token());
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), c.expected);
        EXPECT_EQ(result.error().isCancel(), c.expected.downloadError == DownloadError::canceled());
        EXPECT_EQ(TempFolder::snapshot(f.apps), before);
        f.expectNoTraces();
    }
}

TEST(Installer, ACutDownloadResumesOnlyWhileItsBytesPassTheirCheck) {
    Fixture f;
    f.installer.fetch = quickFetch;
    std::vector<std::pair<std::string, uint64_t>> resumed;
    f.installer.resumed = [&](std::string_view id, uint64_t offset) {
        resumed.emplace_back(id, offset);
    };
    const std::string good = f.goodImage();
    auto image = kestle::test::RangedFile::of(good);
    const auto genuine = image->settings.bytes;
    image->serve(f.server, "/Notes.iso");
    const InstallRequest request = f.request("/Notes.iso", good);
    fs::create_directories(f.work);
    ASSERT_TRUE(PartialDownload::folder(f.work));
    const fs::path partial = PartialDownload::file(
        *PartialDownload::folder(f.work), request.download, good.size(), *request.edSignature);
    auto attempt = [&](std::optional<uint64_t> cut) {
        image->settings.cutAt = cut;
        image->resetSent();
        resumed.clear();
        return f.installer.install(request, {});
    };

    const uint64_t half = good.size() / 2;
    auto cut = attempt(half);
    ASSERT_FALSE(cut.has_value());
    EXPECT_EQ(cut.error(), InstallError::download(DownloadError::connection()));
    ASSERT_TRUE(fs::exists(partial));
    EXPECT_EQ(fs::file_size(partial), half);

    // The rest comes back as other bytes under the same ETag: the whole image is checked.
    image->settings.bytes = [good](uint64_t offset, size_t length) {
        std::string bytes = good.substr(offset, length);
        for (char& c : bytes) {
            c = static_cast<char>(~c);
        }
        return bytes;
    };
    auto corrupt = attempt(std::nullopt);
    ASSERT_FALSE(corrupt.has_value());
    EXPECT_EQ(corrupt.error(), InstallError::of(InstallError::Kind::badSignature));
    EXPECT_EQ(resumed, (std::vector<std::pair<std::string, uint64_t>>{{notesID, half}}));
    EXPECT_FALSE(fs::exists(partial)) << "a partial file that failed its check was kept";
    f.expectNoTraces();

    image->settings.bytes = genuine;
    const uint64_t most = good.size() * 9 / 10;
    ASSERT_FALSE(attempt(most).has_value());
    EXPECT_EQ(image->lastRange(), "") << "resumed from the image that failed its check";
    EXPECT_EQ(image->sent(), most);
    auto installed = attempt(std::nullopt);
    ASSERT_TRUE(installed.has_value()) << describe(installed.error());
    EXPECT_EQ(image->sent(), good.size() - most);
    EXPECT_EQ(resumed, (std::vector<std::pair<std::string, uint64_t>>{{notesID, most}}));
    EXPECT_TRUE(fs::exists(f.apps / "Notes.app"));
    f.expectNoTraces();
}

TEST(Installer, ADetachFailureAfterPlacingStillReturnsTheApp) {
    Fixture f;
    std::string bytes = f.goodImage();
    f.server.serve("/Notes.iso", bytes);
    auto system = f.installer.images;
    f.installer.images.detach = [system](const kestle::AttachedImage& image) {
        (void)system.detach(image);
        return std::expected<void, kestle::DiskImageError>(
            std::unexpected(kestle::DiskImageError::detachFailed("busy")));
    };
    auto result = f.installer.install(f.request("/Notes.iso", bytes), nullptr);
    ASSERT_TRUE(result.has_value()) << describe(result.error());
    EXPECT_TRUE(fs::is_directory(f.apps / "Notes.app"));
    f.expectNoTraces();
}

// Someone who may write the Applications folder puts a folder of their own, with an
// unsigned app, where the staged copy was checked a moment before.
fs::path swappedApps;
void swapStaging(std::string_view step) {
    if (step != "install.copied") {
        return;
    }
    for (const auto& entry : fs::directory_iterator(swappedApps)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".velmarkestle-")) {
            fs::rename(entry.path(), swappedApps.parent_path() / "taken");
            TempFolder::writeText(entry.path() / "Notes.app/Contents/Info.plist",
                                  infoPlist(notesID));
            TempFolder::writeText(entry.path() / "Notes.app/Contents/MacOS/Notes",
                                  "#!/bin/sh\nevil\n");
        }
    }
}

TEST(Installer, AStagingFolderSwappedAfterTheCopyInstallsTheCheckedCopyOrNothing) {
    Fixture f;
    std::string bytes = f.goodImage();
    f.server.serve("/Notes.iso", bytes);
    swappedApps = f.apps;
    kestle::CrashPoint::setHook(swapStaging);
    auto result = f.installer.install(f.request("/Notes.iso", bytes), nullptr);
    kestle::CrashPoint::setHook(nullptr);

    ASSERT_TRUE(result.has_value()) << describe(result.error());
    EXPECT_EQ(TempFolder::readText(f.apps / "Notes.app/Contents/MacOS/Notes"),
              "#!/bin/sh\necho notes\n");
    EXPECT_TRUE(CodeCheck::check(f.apps / "Notes.app", Installer::velmarRequirement(notesID),
                                 f.installer.anchors)
                    .has_value());
}

// An Applications folder on a disk too small for the app, then on a read-only one:
// each ends in its error, with nothing staged left on it and nothing left elsewhere.
TEST(Installer, AFullOrReadOnlyApplicationsDiskFailsCleanly) {
    Fixture f;
    const fs::path good = f.temp / "good";
    makeApp(good / "Notes.app");
    TempFolder::writeText(good / "Notes.app/Contents/Resources/big.bin",
                          std::string(512 * 1024, 'x'));
    ASSERT_TRUE(CodeSigner::sign(good / "Notes.app", notesID, CodeCheck::velmarTeam, velmarKey()));
    const std::string bytes = f.image(good);
    f.server.serve("/Notes.iso", bytes);
    const InstallRequest request = f.request("/Notes.iso", bytes);

    EXPECT_ON_SMALL_DISK(
        kestle::test::SmallDisk::run(f.apps, 256 * 1024, false, [&]() -> std::string {
            auto full = f.installer.install(request, nullptr);
            if (full || full.error() != InstallError::copy(ENOSPC)) {
                return "a full disk gave " +
                       (full ? std::string("success") : describe(full.error()));
            }
            if (!fs::is_empty(f.apps)) {
                return "the full disk keeps " + fs::directory_iterator(f.apps)->path().string();
            }
            if (!kestle::test::SmallDisk::makeReadOnly(f.apps)) {
                return "the disk could not be made read-only";
            }
            const size_t requests = f.server.totalRequests();
            auto readOnly = f.installer.install(request, nullptr);
            if (readOnly || readOnly.error() != InstallError::of(InstallError::Kind::notWritable)) {
                return "a read-only disk gave " +
                       (readOnly ? std::string("success") : describe(readOnly.error()));
            }
            if (f.server.totalRequests() != requests) {
                return "a read-only disk still downloaded";
            }
            return {};
        }));
    f.expectNoTraces();
}

TEST(Installer, AFolderThisAccountMayNotWriteFailsBeforeAnythingElse) {
    Fixture f;
    fs::permissions(f.apps, fs::perms(0555));
    InstallRequest request{notesID,      *Url::parse(f.server.url("/none.iso")), std::nullopt,
                           std::nullopt, Url::fromPath(f.apps.string()),         "42"};
    // Root writes through any permission bits: it tries as nobody, in a child.
    if (::geteuid() == 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            bool dropped =
                ::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0;
            auto result = f.installer.install(request, nullptr);
            ::_exit(!dropped ? 2
                    : !result && result.error() == InstallError::of(InstallError::Kind::notWritable)
                        ? 0
                        : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 2) << "cannot become nobody";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "nobody was not refused as notWritable";
    } else {
        auto result = f.installer.install(request, nullptr);
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), InstallError::of(InstallError::Kind::notWritable));
    }
    fs::permissions(f.apps, fs::perms(0755));
    EXPECT_EQ(f.server.totalRequests(), 0u);
    f.expectNoTraces();
}

} // namespace
