#include "platform/LauncherEntry.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "helpers/DesktopExec.hpp"
#include "helpers/SmallDisk.hpp"
#include "helpers/TempFolder.hpp"

using kestle::app::LauncherEntry;
using kestle::test::SmallDisk;
using kestle::test::TempFolder;
namespace fs = std::filesystem;
using Outcome = LauncherEntry::Outcome;

namespace {

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

class Launcher : public testing::Test {
protected:
    void SetUp() override {
        TempFolder::writeText(executable, "#!/bin/sh\n");
        fs::permissions(executable, fs::perms(0755));
        TempFolder::writeText(bundle / "Contents/Resources/icons/velmarkestle.svg", "<svg/>\n");
        // The desktop's cache tools, recording how they were started: the real ones would
        // write into the folder while a test looks at it.
        for (const char* tool : {"update-desktop-database", "gtk-update-icon-cache"}) {
            TempFolder::writeText(temp / "bin" / tool, std::string("#!/bin/sh\necho \"") + tool +
                                                           " $*\" >> \"" + toolLog.string() +
                                                           "\"\n");
            fs::permissions(temp / "bin" / tool, fs::perms(0755));
        }
        validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        path = qgetenv("PATH");
        ::setenv("PATH", (temp / "bin").c_str(), 1);
    }
    void TearDown() override { ::setenv("PATH", path.constData(), 1); }

    LauncherEntry entry(const QString& version = QStringLiteral("1.4.0 (140)")) {
        return LauncherEntry({.bundle = q(bundle),
                              .executable = q(executable),
                              .bundleID = QStringLiteral("com.velmar.VelmarKestle"),
                              .version = version,
                              .dataHome = q(dataHome),
                              .windowClass = QStringLiteral("VelmarKestle")},
                             [this](int side) {
                                 ++renders;
                                 QImage image(side, side, QImage::Format_ARGB32);
                                 image.fill(Qt::darkBlue);
                                 // Noise does not compress: the large icons take room.
                                 QRandomGenerator random(side);
                                 for (int y = 0; noisy && y < side; ++y) {
                                     for (int x = 0; x < side; ++x) {
                                         image.setPixel(x, y, random.generate());
                                     }
                                 }
                                 return image;
                             });
    }

    TempFolder temp;
    // A path with spaces and the characters Exec must escape or double.
    fs::path bundle = temp / "My Apps/Velmar $Kestle\\\"x\" `100%`.app";
    fs::path executable = bundle / "Contents/MacOS/VelmarKestle";
    fs::path dataHome = temp / "data";
    fs::path toolLog = temp / "tools.log";
    QString validator;
    QByteArray path;
    int renders = 0;
    bool noisy = false;
};

TEST_F(Launcher, WrittenAtFirstStartThenOnlyWhenTheVersionOrThePathChanged) {
    ASSERT_EQ(entry().ensureInstalled(), Outcome::written);
    EXPECT_EQ(entry().file().toStdString(),
              (dataHome / "applications/com.velmar.VelmarKestle.desktop").string());
    const auto installed = TempFolder::snapshot(dataHome);

    renders = 0;
    EXPECT_EQ(entry().ensureInstalled(), Outcome::unchanged);
    EXPECT_EQ(renders, 0) << "nothing is drawn for an entry that is current";
    EXPECT_EQ(TempFolder::snapshot(dataHome), installed);

    ASSERT_EQ(entry(QStringLiteral("1.4.0 (141)")).ensureInstalled(), Outcome::written);
    std::string text = TempFolder::readText(entry().file().toStdString());
    EXPECT_NE(text.find("\nX-VelmarKestle-Version=1.4.0 (141)\n"), std::string::npos) << text;
    EXPECT_EQ(entry(QStringLiteral("1.4.0 (141)")).ensureInstalled(), Outcome::unchanged);

    // The bundle moved: the old Exec would start nothing.
    fs::rename(temp / "My Apps", temp / "Other Apps");
    bundle = temp / "Other Apps" / bundle.filename();
    executable = bundle / "Contents/MacOS/VelmarKestle";
    ASSERT_EQ(entry(QStringLiteral("1.4.0 (141)")).ensureInstalled(), Outcome::written);
    text = TempFolder::readText(entry().file().toStdString());
    EXPECT_NE(text.find("Other Apps"), std::string::npos) << text;

    // An entry without the marker (written by hand, or by an older build) is replaced.
    TempFolder::writeText(entry().file().toStdString(), "[Desktop Entry]\nType=Application\n");
    EXPECT_EQ(entry(QStringLiteral("1.4.0 (141)")).ensureInstalled(), Outcome::written);
}

// The desktop's own reading: what it makes of Exec must be the executable, and the
// entry must pass the validator.
TEST_F(Launcher, TheEntryIsValidAndItsExecStartsTheExecutable) {
    ASSERT_TRUE(entry().ensureInstalled());
    const std::string text = TempFolder::readText(entry().file().toStdString());
    for (const char* line : {"\nIcon=com.velmar.VelmarKestle\n", "\nStartupWMClass=VelmarKestle\n",
                             "\nX-GNOME-UsesNotifications=true\n", "\nSingleMainWindow=true\n",
                             "\nName=VelmarKestle\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), QString::fromLocal8Bit(path));
    std::string error;
    EXPECT_EQ(kestle::test::desktopExecProgram(entry().file(), &error, environment),
              executable.string())
        << error;

    if (validator.isEmpty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    auto runValidator = [this](const QStringList& arguments) {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, arguments);
        validate.waitForFinished(10000);
        return std::pair(validate.exitCode(), QString::fromUtf8(validate.readAll()));
    };
    // SingleMainWindow came with version 1.5 of the format, which older validators
    // (Debian 12's implements 1.4) take for an unknown key: that one error is expected
    // from them, and no other.
    const bool knowsVersion15 = !runValidator({QStringLiteral("--help")})
                                     .second.contains(QStringLiteral("specification 1.4"));
    const auto [status, output] = runValidator({entry().file()});
    QStringList errors;
    for (const QString& line : output.split(u'\n')) {
        if (line.contains(QStringLiteral(": error: ")) &&
            (knowsVersion15 || !line.contains(QStringLiteral("\"SingleMainWindow\"")))) {
            errors += line;
        }
    }
    EXPECT_TRUE(errors.isEmpty()) << output.toStdString();
    if (knowsVersion15) {
        EXPECT_EQ(status, 0) << output.toStdString();
    } else {
        EXPECT_TRUE(output.contains(QStringLiteral("SingleMainWindow"))) << output.toStdString();
    }
}

TEST_F(Launcher, EveryIconIsAPngOfItsSizeAndTheVectorsComeFromTheBundle) {
    ASSERT_TRUE(entry().ensureInstalled());
    for (int side : LauncherEntry::iconSides) {
        SCOPED_TRACE(side);
        const QString file = entry().iconFile(side);
        EXPECT_TRUE(file.endsWith(
            QStringLiteral("/icons/hicolor/%1x%1/apps/com.velmar.VelmarKestle.png").arg(side)))
            << file.toStdString();
        QImageReader reader(file);
        EXPECT_EQ(reader.format(), "png");
        EXPECT_EQ(reader.read().size(), QSize(side, side));
    }
    EXPECT_EQ(TempFolder::readText(entry().iconFile(0).toStdString()), "<svg/>\n");
    EXPECT_TRUE(entry().iconFile(0).endsWith(
        QStringLiteral("/hicolor/scalable/apps/com.velmar.VelmarKestle.svg")));
    EXPECT_FALSE(fs::exists(entry().symbolicIconFile().toStdString()))
        << "a bundle without a menu icon installs none";

    TempFolder::writeText(bundle / "Contents/Resources/icons/KestleMenuIcon-symbolic.svg",
                          "<svg id='menu'/>");
    ASSERT_EQ(entry(QStringLiteral("1.5.0 (150)")).ensureInstalled(), Outcome::written);
    EXPECT_EQ(entry().symbolicIconFile().toStdString(),
              (dataHome / "icons/hicolor/symbolic/apps/KestleMenuIcon-symbolic.svg").string());
    EXPECT_EQ(TempFolder::readText(entry().symbolicIconFile().toStdString()), "<svg id='menu'/>");
}

// The caches are refreshed without waiting, and an icon cache is never made where the
// user had none: it would hide the next program's new icons.
TEST_F(Launcher, TheDesktopsCachesAreRefreshedOnlyWhereTheyExist) {
    auto waitForLog = [this](size_t lines) {
        std::string log;
        for (int i = 0; i < 500; ++i) {
            log = TempFolder::readText(toolLog);
            if (static_cast<size_t>(std::count(log.begin(), log.end(), '\n')) >= lines) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return log;
    };
    ASSERT_EQ(entry().ensureInstalled(), Outcome::written);
    const std::string database =
        "update-desktop-database -q " + (dataHome / "applications").string() + "\n";
    EXPECT_EQ(waitForLog(1), database);
    // Both tools are started together: a wrong start of the second would show by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(TempFolder::readText(toolLog), database) << "no icon cache is made";

    TempFolder::writeText(dataHome / "icons/hicolor/icon-theme.cache", "");
    ASSERT_EQ(entry(QStringLiteral("2.0.0 (200)")).ensureInstalled(), Outcome::written);
    const std::string log = waitForLog(3);
    EXPECT_NE(
        log.find("gtk-update-icon-cache -q -t -f " + (dataHome / "icons/hicolor").string() + "\n"),
        std::string::npos)
        << log;
}

// A data home that cannot be written to, or fills up half way: an error, and no entry,
// so the next start tries again; every file that is there is whole.
TEST_F(Launcher, AFailedInstallLeavesNoEntryAndNoPartFile) {
    fs::create_directories(dataHome);
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        // Room for the small icons only.
        noisy = true;
        EXPECT_ON_SMALL_DISK(SmallDisk::run(dataHome, 256 * 1024, readOnly, [&]() -> std::string {
            const auto outcome = entry().ensureInstalled();
            if (outcome) {
                return "installed on a disk that has no room for it";
            }
            if (fs::exists(entry().file().toStdString())) {
                return "an entry was written: " + outcome.error().toStdString();
            }
            for (const auto& file : fs::recursive_directory_iterator(dataHome)) {
                if (file.is_regular_file() && QImage(q(file.path())).isNull()) {
                    return "a part file is left: " + file.path().string();
                }
            }
            return {};
        }));
    }
}

} // namespace
