#include "platform/AutostartEntry.hpp"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "helpers/DesktopExec.hpp"
#include "helpers/TempFolder.hpp"

using kestle::app::AutostartEntry;
using kestle::test::TempFolder;
namespace fs = std::filesystem;
using Status = AutostartEntry::Status;

namespace {

class Autostart : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
        // A path with spaces and the characters Exec must escape.
        TempFolder::writeText(executable, "#!/bin/sh\n");
        fs::permissions(executable, fs::perms(0755));
    }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

    TempFolder temp;
    fs::path executable = temp / "My Apps/Velmar $Kestle\\\"x\".app/Contents/MacOS/VelmarKestle";
    AutostartEntry entry{QStringLiteral("com.velmar.VelmarKestle"),
                         QString::fromStdString(executable.string()),
                         QStringLiteral("velmarkestle")};
};

TEST_F(Autostart, OnOffAndTheWaysDesktopToolsSwitchAnEntryOff) {
    EXPECT_EQ(entry.status(), Status::notRegistered);
    ASSERT_EQ(entry.setOpenAtLogin(true), Status::enabled);
    EXPECT_EQ(entry.file().toStdString(),
              (temp / "config/autostart/com.velmar.VelmarKestle.desktop").string());
    const std::string text = TempFolder::readText(entry.file().toStdString());
    EXPECT_NE(text.find("X-GNOME-Autostart-enabled=true\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" --autostart\n"), std::string::npos) << text;

    for (const char* off : {"Hidden=true\n", "X-GNOME-Autostart-enabled=false\n"}) {
        TempFolder::writeText(entry.file().toStdString(), text + off);
        EXPECT_EQ(entry.status(), Status::notRegistered) << off;
    }
    // Switching on again replaces the switched-off entry.
    ASSERT_EQ(entry.setOpenAtLogin(true), Status::enabled);
    EXPECT_EQ(TempFolder::readText(entry.file().toStdString()), text);

    fs::rename(executable, temp / "moved");
    EXPECT_EQ(entry.status(), Status::notFound);
    fs::rename(temp / "moved", executable);

    ASSERT_EQ(entry.setOpenAtLogin(false), Status::notRegistered);
    EXPECT_FALSE(fs::exists(entry.file().toStdString()));
    EXPECT_EQ(entry.setOpenAtLogin(false), Status::notRegistered);
}

// The desktop's own reader: what it makes of Exec must be the executable, spaces,
// quotes and dollar signs included.
TEST_F(Autostart, TheEntryIsValidAndItsExecStartsTheExecutable) {
    ASSERT_TRUE(entry.setOpenAtLogin(true));
    std::string error;
    EXPECT_EQ(kestle::test::desktopExecProgram(entry.file(), &error), executable.string()) << error;

    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    QProcess validate;
    validate.start(validator, {entry.file()});
    ASSERT_TRUE(validate.waitForFinished(10000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString()
                                      << validate.readAllStandardError().toStdString();
}

} // namespace
