#pragma once

#include <filesystem>
#include <string>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "apps/RunningApps.hpp"
#include "codesign/CodeCheck.hpp"
#include "codesign/CodeSigner.hpp"
#include "helpers/TempFolder.hpp"
#include "helpers/TestSigning.hpp"
#include "install/Command.hpp"

namespace kestle::test {

// Real, signed app bundles whose executable is the test app, their disk images, and
// their running copies.
struct AppBundleMaker {
    static constexpr const char* identifier = "com.velmar.Notes";

    struct Spec {
        std::string build = "100";
        std::string version = "1.0";
        std::string feedURL;
        bool refusesQuit = false;
    };

    static const CodeSigner::Key& teamKey() {
        static const CodeSigner::Key key = *CodeSigner::Key::fromKeyFile(
            std::filesystem::path(KESTLE_TEST_DATA_DIR) / "test-signing.key");
        return key;
    }

    static CodeCheck::Anchors anchors() {
        return {.teams = {{std::string(CodeCheck::velmarTeam), teamKey().publicKey()}},
                .notary = {}};
    }

    static void make(const std::filesystem::path& app, const Spec& spec) {
        namespace fs = std::filesystem;
        TempFolder::writeText(
            app / "Contents/Info.plist",
            std::string(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)") +
                "<key>CFBundleIdentifier</key><string>" + identifier + "</string>" +
                "<key>CFBundleVersion</key><string>" + spec.build + "</string>" +
                "<key>CFBundleShortVersionString</key><string>" + spec.version + "</string>" +
                "<key>CFBundleExecutable</key><string>Notes</string>" +
                "<key>SUFeedURL</key><string>" + spec.feedURL + "</string>" +
                "<key>SUPublicEDKey</key><string>" + TestSigning::shared().publicKeyBase64() +
                "</string></dict></plist>");
        fs::create_directories(app / "Contents/MacOS");
        fs::copy_file(KESTLE_TEST_APP, app / "Contents/MacOS/Notes",
                      fs::copy_options::overwrite_existing);
        fs::permissions(app / "Contents/MacOS/Notes", fs::perms(0755));
        TempFolder::writeText(app / "Contents/Resources/build.txt", spec.build);
        if (spec.refusesQuit) {
            TempFolder::writeText(app / "Contents/Resources/refuses-quit", "");
        }
        auto sealed = CodeSigner::sign(app, identifier, CodeCheck::velmarTeam, teamKey());
        if (!sealed) {
            throw std::runtime_error("signing " + app.string() + ": " + describe(sealed.error()));
        }
    }

    // An ISO image of folder, as bytes.
    static std::string image(const std::filesystem::path& folder,
                             const std::filesystem::path& file) {
        auto made = Command::run(KESTLE_MAKE_DISK_IMAGE, {folder.string(), file.string()});
        if (!made || made->status != 0) {
            throw std::runtime_error("make-disk-image failed");
        }
        return TempFolder::readText(file);
    }

    // Starts the bundle's executable; returns its process id.
    static pid_t launch(const std::filesystem::path& app) {
        const std::string exe = (app / "Contents/MacOS/Notes").string();
        char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
        pid_t pid = 0;
        if (::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0) {
            throw std::runtime_error("cannot start " + exe);
        }
        // Running once the kernel shows the new executable.
        for (int i = 0; i < 200 && RunningApps::find(app).empty(); ++i) {
            ::usleep(10'000);
        }
        return pid;
    }

    // Kills every copy running from any bundle under folder and reaps our children.
    static void killAll(const std::filesystem::path& folder) {
        for (int round = 0; round < 50; ++round) {
            auto running = RunningApps::find(folder);
            if (running.empty()) {
                break;
            }
            for (pid_t pid : running) {
                ::kill(pid, SIGKILL);
            }
            ::usleep(20'000);
        }
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
};

} // namespace kestle::test
